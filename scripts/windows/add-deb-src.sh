#!/usr/bin/env bash
# Lets apt-get source fetch from the Debian archive the machine already uses:
# a source entry beside each binary one, added once.
set -euo pipefail
if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/dozuzezo-deb-src.sources >/dev/null
else
    grep -hsE '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/dozuzezo-deb-src.list >/dev/null
fi
echo "added Debian's source entries; updating apt's lists"
$sudo apt-get update -qq
