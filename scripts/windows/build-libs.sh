#!/usr/bin/env bash
# zlib, libdeflate and libzip for Windows (x64, MinGW-w64), built here from
# Debian's own sources of the libraries the Linux build uses, as static
# libraries with their headers and CMake package files (libzip::zip,
# libdeflate::libdeflate_static), in a cache folder outside the checkout.
# Prints the installed prefix on its last line. A prefix already built from
# the same sources, with the same compiler and this script, is reused as it is.
#
# libzip reads and writes zlib's deflate only, and encrypts with Windows'
# own cryptography: no bzip2, lzma, OpenSSL or GnuTLS to build and ship.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
packages=(zlib libdeflate libzip)

# The compiler package's version: the compiler says only "12-posix".
gcc_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
script_hash=$(sha256sum <"$0" | cut -c1-12)
cache=${DOZUZEZO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dozuzezo-windows}

"$here/add-deb-src.sh" >&2

declare -A version
prefix_for() {
    local name=libs
    for p in "${packages[@]}"; do name+="-$p-${version[$p]#*:}"; done
    echo "$cache/$name-mingw-gcc$gcc_version-$script_hash"
}
reuse() {
    if [ -f "$1/.complete" ]; then
        echo "zlib, libdeflate, libzip for Windows: reusing $1" >&2
        echo "$1"
        exit 0
    fi
}

# The versions apt offers (as apt-get source picks them).
uris=$(apt-get source --print-uris -qq "${packages[@]}" 2>/dev/null || true)
for p in "${packages[@]}"; do
    dsc=$(awk -v p="${p}_" '$2 ~ /\.dsc$/ && index($2, p) == 1 { print $2; exit }' <<<"$uris")
    [ -n "$dsc" ] || { echo "apt knows no source of $p (is there a deb-src entry?)" >&2; exit 1; }
    v=${dsc#"${p}_"}
    version[$p]=${v%.dsc}
done
offered=$(prefix_for)
reuse "$offered"
# Built before from an older version that stood in for one the archive here
# does not serve (see below).
[ -f "$offered.stand-in" ] && reuse "$(cat "$offered.stand-in")"

work=$(mktemp -d "${TMPDIR:-/var/tmp}/libs-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
log=$work/build.log

# A version the archive reachable here does not serve (a security update
# missing from its mirror) gives way to the next one apt knows of.
for p in "${packages[@]}"; do
    known=$(apt-cache showsrc "$p" 2>/dev/null |
            awk -v p="$p" '/^Package: / { s = $2 } /^Version: / && s == p { print $2 }' | sort -u -r -V)
    fetched=""
    # The one apt offers first, then the others, newest first.
    for v in $(awk -v o="${version[$p]}" '{ v = $0; sub(/^[0-9]+:/, "", v) }
                                          v == o { print; next } { rest = rest $0 "\n" }
                                          END { printf "%s", rest }' <<<"$known"); do
        if (cd "$work" && apt-get source --download-only "$p=$v" >>"$log" 2>&1); then
            fetched=${v#*:}
            break
        fi
        echo "zlib, libdeflate, libzip for Windows: $p $v cannot be fetched here" >&2
    done
    if [ -z "$fetched" ]; then
        tail -5 "$log" >&2
        echo "zlib, libdeflate, libzip for Windows: no source of $p could be fetched" >&2
        exit 1
    fi
    version[$p]=$fetched
    # Unpacking applies Debian's patches.
    (cd "$work" && dpkg-source -x "${p}_${fetched}.dsc" "$p" >>"$log" 2>&1)
done
prefix=$(prefix_for)
[ "$prefix" = "$offered" ] || echo "$prefix" >"$offered.stand-in"
reuse "$prefix"

rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib/cmake"
cat >"$work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $cc)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
jobs=$(nproc)
failed() {
    tail -40 "$log" >&2
    echo "zlib, libdeflate, libzip for Windows: $1 failed (log above)" >&2
    rm -rf "$prefix"
    exit 1
}
licence() { mkdir -p "$prefix/share/licenses/$1" && cp "$2" "$prefix/share/licenses/$1/"; }

echo "zlib, libdeflate, libzip for Windows: building $(for p in "${packages[@]}"; do printf "%s " "$p ${version[$p]}"; done)($(date +%H:%M))" >&2
# zlib: the library alone (its CMake build insists on examples and a DLL).
(
    cd "$work/zlib"
    for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
             inftrees trees uncompr zutil; do
        $cc -O2 -DNDEBUG -c "$c.c" -o "$c.o"
    done
    $triple-ar rcs libz.a ./*.o
) >>"$log" 2>&1 || failed zlib
cp "$work/zlib/libz.a" "$prefix/lib/"
cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"
licence zlib "$work/zlib/LICENSE"

# libdeflate: its own makefile, which knows MinGW, and a package file of ours
# (1.14 has no CMake build).
make -C "$work/libdeflate" -j"$jobs" CC="$cc" AR="$triple-ar" libdeflatestatic.lib >>"$log" 2>&1 ||
    failed libdeflate
cp "$work/libdeflate/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
cp "$work/libdeflate/libdeflate.h" "$prefix/include/"
licence libdeflate "$work/libdeflate/COPYING"
mkdir -p "$prefix/lib/cmake/libdeflate"
cat >"$prefix/lib/cmake/libdeflate/libdeflate-config.cmake" <<'EOF'
# libdeflate as a static library, as its own CMake build (1.15 on) names it.
get_filename_component(_libdeflate_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET libdeflate::libdeflate_static)
  add_library(libdeflate::libdeflate_static STATIC IMPORTED)
  set_target_properties(libdeflate::libdeflate_static PROPERTIES
    IMPORTED_LOCATION "${_libdeflate_prefix}/lib/libdeflate.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_libdeflate_prefix}/include")
endif()
unset(_libdeflate_prefix)
EOF
deflate_version=$(sed -n 's/^#define LIBDEFLATE_VERSION_STRING[[:space:]]*"\(.*\)"/\1/p' "$work/libdeflate/libdeflate.h")
cat >"$prefix/lib/cmake/libdeflate/libdeflate-config-version.cmake" <<EOF
set(PACKAGE_VERSION "$deflate_version")
if(PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
  if(PACKAGE_FIND_VERSION VERSION_EQUAL PACKAGE_VERSION)
    set(PACKAGE_VERSION_EXACT TRUE)
  endif()
endif()
EOF

# libzip over that zlib.
off=(BUILD_SHARED_LIBS BUILD_TOOLS BUILD_REGRESS BUILD_EXAMPLES BUILD_DOC
     ENABLE_COMMONCRYPTO ENABLE_GNUTLS ENABLE_MBEDTLS ENABLE_OPENSSL ENABLE_BZIP2 ENABLE_LZMA)
flags=()
for f in "${off[@]}"; do flags+=("-D$f=OFF"); done
{
    cmake -S "$work/libzip" -B "$work/libzip-build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
        -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
        -DENABLE_WINDOWS_CRYPTO=ON "${flags[@]}" &&
    cmake --build "$work/libzip-build" -j"$jobs" &&
    cmake --install "$work/libzip-build"
} >>"$log" 2>&1 || failed libzip
licence libzip "$work/libzip/LICENSE"
# Its package file leaves zlib out ("doesn't work as-is"): the one built here.
cat >>"$prefix/lib/cmake/libzip/libzip-config.cmake" <<'EOF'

# zlib, static, beside libzip in this prefix.
if(NOT TARGET ZLIB::ZLIB)
  get_filename_component(_libzip_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
  add_library(ZLIB::ZLIB STATIC IMPORTED)
  set_target_properties(ZLIB::ZLIB PROPERTIES
    IMPORTED_LOCATION "${_libzip_prefix}/lib/libz.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_libzip_prefix}/include")
  unset(_libzip_prefix)
endif()
EOF
rm -rf "$prefix/lib/pkgconfig"  # they would name the build's folders

touch "$prefix/.complete"
echo "zlib, libdeflate, libzip for Windows: built in $(($(date +%s) - start)) s into $prefix ($(du -sh "$prefix" | cut -f1))" >&2
echo "$prefix"
