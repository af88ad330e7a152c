#!/usr/bin/env bash
# Installs, from Debian 12's packages, whatever of the build, test and
# screenshot needs is missing, with any further packages named as arguments.
# Does nothing when all are there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    libzip-dev libdeflate-dev libfontconfig-dev
    librsvg2-bin desktop-file-utils appstream dpkg-dev file man-db bash-completion
    fonts-noto-cjk xvfb xauth x11-utils imagemagick hyperfine python3 unzip time
    clang ccache openbox xdotool
    "$@"
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
