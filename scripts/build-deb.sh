#!/usr/bin/env bash
# Builds dozuzezo_<version>_amd64.deb into build-deb/ (or $DEB_BUILD_DIR)
# and checks its contents. Extra arguments go to cmake, e.g.
#   scripts/build-deb.sh -DDOZUZEZO_SCREENSHOT_BASE_URL=https://…/docs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DEB_BUILD_DIR:-$root/build-deb}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DDOZUZEZO_TESTS=OFF -DDOZUZEZO_BENCH=OFF "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/dozuzezo_*_*.deb | head -n 1)
"$root/scripts/check-deb.sh" "$deb"
echo "$deb"
