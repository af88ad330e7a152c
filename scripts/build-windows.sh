#!/usr/bin/env bash
# The whole program for Windows x64, from Linux: Qt and the zip libraries
# built from Debian's sources (scripts/windows/, cached outside the checkout,
# reused when there), the program and its tests built with MinGW-w64 into
# build-windows/ (or $WINDOWS_BUILD_DIR), then packed by CPack as the
# portable DOZUZEZO-<version>-win64.zip and the installer
# DOZUZEZO-<version>-win64-setup.exe in that folder. Further arguments go to
# CMake (-DDOZUZEZO_TESTS=OFF: the program alone). Installs what is missing
# first (apt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
host=${BUILD_DIR:-$root/build}
start=$(date +%s)

"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64 googletest nsis
qt=$("$root/scripts/windows/build-qt.sh" | tail -1)
libs=$("$root/scripts/windows/build-libs.sh" | tail -1)
prepared=$(date +%s)

# The pictures are rendered by the Linux build's own tool.
[ -x "$host/resources/render-picture" ] || BUILD_DIR=$host "$root/scripts/build.sh"

werror=OFF
[ -n "${CI:-}" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DDOZUZEZO_WINDOWS_PREFIXES="$qt;$libs" \
    -Dlibzip_DIR="$libs/lib/cmake/libzip" -Dlibdeflate_DIR="$libs/lib/cmake/libdeflate" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DDOZUZEZO_HOST_TOOLS="$host" -DDOZUZEZO_BENCH=OFF \
    -DDOZUZEZO_WERROR=$werror "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
built=$(date +%s)

(cd "$build" && rm -f DOZUZEZO-*-win64.zip DOZUZEZO-*-win64-setup.exe && cpack >/dev/null)
ls -l "$build"/DOZUZEZO-*-win64.zip "$build"/DOZUZEZO-*-win64-setup.exe |
    awk '{ printf "%s: %.1f MB\n", $NF, $5 / 1048576 }'
echo "Windows: Qt and libraries $((prepared - start)) s, build $((built - prepared)) s, packages $(($(date +%s) - built)) s"
