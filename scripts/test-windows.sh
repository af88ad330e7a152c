#!/usr/bin/env bash
# The whole program built for Windows (scripts/build-windows.sh: Qt and the
# zip libraries from their caches, the program and its tests into
# build-windows/, the zip and the installer), then tried under Wine: the
# whole suite, headless; the export byte for byte against the Linux build's;
# the packages installed, upgraded and uninstalled; the program driven by the
# keyboard on a virtual screen. Installs what is missing first (apt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
host=${BUILD_DIR:-$root/build}

"$root/scripts/build-windows.sh"
built=$(date +%s)
qt=$("$root/scripts/windows/build-qt.sh" 2>/dev/null | tail -1)

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
business_zip=${DOZUZEZO_REAL_BUSINESS_ZIP:-$root/../shared/data/jigyosyo.zip}
if [ -f "$business_zip" ]; then
    (cd "$work" && cmake -E tar xf "$business_zip")
    DOZUZEZO_REAL_BUSINESS_CSV=$(winepath -w "$work/JIGYOSYO.CSV" 2>/dev/null)
    export DOZUZEZO_REAL_BUSINESS_CSV
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
    # A disk that fills up on the way: said so in the program's words, and
    # nothing left behind (Wine reports the first short write as a count).
    mkdir -p "$work/small"
    if mount -t tmpfs -o size=256k tmpfs "$work/small" 2>/dev/null; then
        full=0
        (cd "$work" && wine "$exe" -l KEN_ALL.CSV -o "$(winepath -w "$work/small")\out.csv" 13 14) \
            2>"$work/full.txt" || full=$?
        tr -d '\r' <"$work/full.txt"
        left=$(ls -A "$work/small")
        umount "$work/small"
        if [ "$full" -ne 4 ] || ! grep -q 'ディスクの空き容量が足りません' "$work/full.txt" || [ -n "$left" ]; then
            echo "FAILED: dozuzezo-export.exe onto a full disk: exit $full, left: $left"
            exit 1
        fi
        echo "dozuzezo-export.exe onto a full disk under Wine: exit 4, the program's reason, nothing left"
    else
        echo "note: no tmpfs can be mounted here; the full disk is not tried under Wine"
    fi
fi
[ "$status" -eq 0 ] || { echo "the suite failed under Wine (log: $build/ctest.log)"; exit "$status"; }
tested=$(date +%s)

# The packages as users get them: installed, upgraded and uninstalled.
"$root/scripts/windows/check-installer.sh" "$build"/DOZUZEZO-*-win64-setup.exe "$build"/DOZUZEZO-*-win64.zip $list
checked=$(date +%s)

echo "Windows under Wine: suite and export $((tested - built)) s, packages $((checked - tested)) s"

# The program as a user drives it, by the keyboard, under Wine on a virtual
# screen of its own: the files shipped (the zip's, which the installer
# installs byte for byte).
"$root/scripts/install-deps.sh" xclip locales
(cd "$work" && cmake -E tar xf "$build"/DOZUZEZO-*-win64.zip)
BUILD_DIR=$host "$root/scripts/windows/try-program.sh" "$work"/DOZUZEZO-*-win64
echo "Windows under Wine: the program driven by the keyboard $(($(date +%s) - checked)) s"
