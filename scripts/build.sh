#!/usr/bin/env bash
# Configures and builds everything into build/ (or $BUILD_DIR). Under CI
# (CI set) compiler warnings fail the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDOZUZEZO_WERROR=$werror \
    "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
