#!/usr/bin/env bash
# Builds everything below Qt for Windows (x64) with MinGW-w64 into
# build-windows/ (or $WINDOWS_BUILD_DIR): the list, the file layer, the
# command-line export and their tests. Then runs the tests and the export
# under Wine, headless, and checks that the export writes exactly the bytes
# the Linux build writes. Installs what is missing first (apt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
start=$(date +%s)

packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

werror=OFF
[ -n "${CI:-}" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DDOZUZEZO_QT=OFF -DDOZUZEZO_GUI=OFF -DDOZUZEZO_ZIP_READER=OFF -DDOZUZEZO_BENCH=OFF \
    -DDOZUZEZO_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
built=$(date +%s)

# Wine without a screen, its prefix in the build folder, quiet, and without
# offering to install Mono or Gecko.
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
wineboot --init >/dev/null 2>&1 || true

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
list=""
if [ -f "$zip" ]; then
    (cd "$work" && cmake -E tar xf "$zip")
    list=$work/KEN_ALL.CSV
    DOZUZEZO_REAL_LIST_CSV=$(winepath -w "$list" 2>/dev/null)
    export DOZUZEZO_REAL_LIST_CSV
else
    echo "note: $zip is not here; the tests that need the published list skip"
fi

passed=0 failed=0 skipped=0
for test in test_postal test_platform test_cli; do
    exe=$(find "$build/tests" -name "$test.exe" | head -1)
    log=$build/$test.log
    status=0
    (cd "$build" && timeout 600 wine "$exe" --gtest_color=no) 2>&1 | tr -d '\r' >"$log" || status=$?
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?.*/\1/p' "$log" | tail -1)
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:/\1/p' "$log" | tail -1)
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:/\1/p' "$log" | tail -1)
    p=${p:-0} s=${s:-0} f=${f:-0}
    if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
        f=1  # ended before its summary
        echo "$test: ended with status $status (log: $log)"
        tail -20 "$log"
    fi
    echo "$test.exe under Wine: $p passed, $f failed, $s skipped"
    # Each skip with its reason, as the test gave it.
    awk '/^\[ RUN      \]/ { name = $4 } /^[^[]/ { why = $0 }
         /^\[  SKIPPED \] [A-Za-z]/ && $4 == name { print "  skipped " name ": " why }' "$log"
    if [ "$f" -gt 0 ]; then
        grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u | sed 's/^/  /'
        grep -B5 -E '^\[  FAILED  \] [A-Za-z].*\(' "$log" | head -60 || true
    fi
    passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
done

# The export as users run it: Tokyo and Kanagawa out of the published list,
# byte for byte what the Linux build writes (and what grep finds).
exe=$build/cli/dozuzezo-export.exe
if [ -n "$list" ]; then
    (cd "$work" && wine "$exe" -l KEN_ALL.CSV -o out.csv 13 14)
    LC_ALL=C grep -E '^1[34]' "$list" >"$work/grep.csv"
    cmp "$work/out.csv" "$work/grep.csv"
    same="the lines grep finds"
    linux=${BUILD_DIR:-$root/build}/cli/dozuzezo-export
    if [ -x "$linux" ]; then
        (cd "$work" && "$linux" -l KEN_ALL.CSV -o linux.csv 13 14)
        cmp "$work/out.csv" "$work/linux.csv"
        same="the Linux build's output and $same"
    fi
    echo "dozuzezo-export.exe -l KEN_ALL.CSV -o out.csv 13 14 under Wine: $(wc -c <"$work/out.csv") bytes, the same as $same"
    passed=$((passed + 1))
else
    skipped=$((skipped + 1))
fi

end=$(date +%s)
echo "Windows build: $((built - start)) s; tests under Wine: $((end - built)) s"
echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
