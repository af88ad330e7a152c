#!/usr/bin/env bash
# The Windows packages: the whole program built for Windows x64 with
# MinGW-w64 into build-win-pkg/ (or $WINDOWS_PACKAGE_DIR), against Qt and the
# zip libraries from their caches (built first where missing), packed by
# CPack as DOZUZEZO-<version>-win64.zip and DOZUZEZO-<version>-win64-setup.exe,
# then tried under Wine by check-installer.sh, with the published list where
# it is here. Installs what is missing first (apt).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${WINDOWS_PACKAGE_DIR:-$root/build-win-pkg}
host=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64 nsis qt6-translations-l10n
qt=$("$here/build-qt.sh" | tail -1)
libs=$("$here/build-libs.sh" | tail -1)
# The pictures are rendered by the Linux build's own tool.
[ -x "$host/resources/render-picture" ] || BUILD_DIR=$host "$root/scripts/build.sh"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DDOZUZEZO_WINDOWS_PREFIXES="$qt;$libs" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DDOZUZEZO_HOST_TOOLS="$host" -DDOZUZEZO_TESTS=OFF -DDOZUZEZO_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

start=$(date +%s)
(cd "$build" && rm -f DOZUZEZO-*-win64.zip DOZUZEZO-*-win64-setup.exe && cpack >/dev/null)
echo "cpack: $(($(date +%s) - start)) s"
zip=$(ls "$build"/DOZUZEZO-*-win64.zip)
setup=$(ls "$build"/DOZUZEZO-*-win64-setup.exe)
ls -l "$zip" "$setup" | awk '{ printf "%s: %.1f MB\n", $NF, $5 / 1048576 }'

list=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
[ -f "$list" ] || { echo "note: $list is not here; the export is not tried on it"; list=""; }
"$here/check-installer.sh" "$setup" "$zip" $list
