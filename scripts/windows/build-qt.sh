#!/usr/bin/env bash
# Qt for Windows (x64, MinGW-w64), built here from Debian's own source of the
# Qt the Linux build uses, and kept in a cache folder outside the checkout.
# Prints the installed prefix on its last line. A prefix already built for the
# same Qt, the same compiler and this script and its patch is reused as it is.
#
# Only qtbase: Debian 12's archive has no source for Qt SVG (the program's
# pictures are PNGs rendered on the build machine), and Qt's Japanese texts
# are taken from the host's qt6-translations-l10n, which is the same for every
# platform.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
triple=x86_64-w64-mingw32

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # e.g. 6.4.2+dfsg-10
# The compiler package's version: the compiler says only "12-posix".
gcc_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
script_hash=$(cat "$0" "$here/qt-directwrite-without-direct2d.patch" | sha256sum | cut -c1-12)
cache=${DOZUZEZO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dozuzezo-windows}
prefix=$cache/qt-${qt_version%%+*}-mingw-gcc$gcc_version-$script_hash

if [ -f "$prefix/.complete" ]; then
    echo "Qt for Windows: reusing $prefix" >&2
    echo "$prefix"
    exit 0
fi

"$here/add-deb-src.sh" >&2

work=$(mktemp -d "${TMPDIR:-/var/tmp}/qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
(
    cd "$work"
    apt-get source --download-only "qt6-base=$qt_version" >/dev/null 2>&1 ||
        { echo "apt-get source qt6-base=$qt_version failed" >&2; exit 1; }
    # Unpacking applies Debian's patches.
    dpkg-source -x qt6-base_*.dsc src >/dev/null 2>&1
    patch -s -d src -p1 <"$here/qt-directwrite-without-direct2d.patch"
)

# Its own toolchain file, inside the prefix: Qt's CMake files name the one it
# was built with.
rm -rf "$prefix"
mkdir -p "$prefix"
cat >"$prefix/mingw-w64-toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# What the program uses (Core, Gui, Widgets, Network over Schannel, Test)
# and nothing more. tabletevent's header is in a folder Debian's source
# leaves out; Debian's cross patch switches androiddeployqt on.
off=(pkg_config sql dbus printsupport concurrent xml opengl vulkan direct2d tabletevent
     openssl zstd icu freetype jpeg gif androiddeployqt
     system_zlib system_pcre2 system_harfbuzz system_png system_doubleconversion)
on=(schannel network gui widgets testlib)
flags=()
for f in "${off[@]}"; do flags+=("-DFEATURE_$f=OFF"); done
for f in "${on[@]}"; do flags+=("-DFEATURE_$f=ON"); done

echo "Qt for Windows: configuring qtbase $qt_version (log: $work/build.log)" >&2
if ! cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-toolchain.cmake" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DINPUT_opengl=no "${flags[@]}" >"$work/build.log" 2>&1 ||
    ! { echo "Qt for Windows: building ($(date +%H:%M))" >&2; cmake --build "$work/build" -j"$(nproc)" >>"$work/build.log" 2>&1; } ||
    ! cmake --install "$work/build" >>"$work/build.log" 2>&1; then
    tail -40 "$work/build.log" >&2
    echo "Qt for Windows: the build failed" >&2
    rm -rf "$prefix"
    exit 1
fi
touch "$prefix/.complete"
echo "Qt for Windows: built in $(($(date +%s) - start)) s into $prefix ($(du -sh "$prefix" | cut -f1))" >&2
echo "$prefix"
