#!/usr/bin/env bash
# The whole program built for Windows x64 with MinGW-w64, against Qt and the
# zip libraries built here from Debian's sources (scripts/windows/, cached
# outside the checkout), into build-windows/ (or $WINDOWS_BUILD_DIR). Its
# whole suite then runs under Wine, headless; the export is checked byte for
# byte against the Linux build's; the program is driven by the keyboard under
# Wine on a virtual screen; and the portable zip and the installer are built
# and checked under Wine. Installs what is missing first (apt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
host=${BUILD_DIR:-$root/build}
start=$(date +%s)

"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64 googletest nsis
qt=$("$root/scripts/windows/build-qt.sh" | tail -1)
libs=$("$root/scripts/windows/build-libs.sh" | tail -1)
prepared=$(date +%s)

# The pictures are rendered by the Linux build's own tool; its export is
# what the Windows export is compared with.
[ -x "$host/resources/render-picture" ] || BUILD_DIR=$host "$root/scripts/build.sh"

werror=OFF
[ -n "${CI:-}" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DDOZUZEZO_WINDOWS_PREFIXES="$qt;$libs" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DDOZUZEZO_HOST_TOOLS="$host" -DDOZUZEZO_BENCH=OFF \
    -DDOZUZEZO_WERROR=$werror "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
built=$(date +%s)

source "$root/scripts/windows/wine-env.sh" "$build/wine-prefix" "$qt"
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
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

# Every test program under Wine, through CTest (the toolchain names Wine as
# the emulator). A summary a program, then each skip with its reason.
status=0
(cd "$build" && ctest -j"$(nproc)" --timeout 300 -V) >"$build/ctest.log" 2>&1 || status=$?
tr -d '\r' <"$build/ctest.log" | "$root/scripts/windows/test-summary.sh"

# The export as users run it: Tokyo and Kanagawa out of the published list,
# byte for byte what the Linux build writes (and what grep finds).
exe=$build/bin/dozuzezo-export.exe
if [ -n "$list" ]; then
    (cd "$work" && wine "$exe" -l KEN_ALL.CSV -o out.csv 13 14)
    LC_ALL=C grep -E '^1[34]' "$list" >"$work/grep.csv"
    cmp "$work/out.csv" "$work/grep.csv"
    (cd "$work" && "$host/cli/dozuzezo-export" -l KEN_ALL.CSV -o linux.csv 13 14)
    cmp "$work/out.csv" "$work/linux.csv"
    echo "dozuzezo-export.exe -l KEN_ALL.CSV -o out.csv 13 14 under Wine: $(wc -c <"$work/out.csv") bytes, the same as the Linux build's and the lines grep finds"
fi
tested=$(date +%s)

echo "Windows: Qt and libraries $((prepared - start)) s, build $((built - prepared)) s, tests under Wine $((tested - built)) s"
exit $status
