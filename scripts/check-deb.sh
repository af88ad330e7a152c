#!/usr/bin/env bash
# Checks a built dozuzezo .deb: its name, its dependencies, every file it
# must install and nothing it must not, and the desktop entry and AppStream
# metadata inside it through their validators.
# Usage: scripts/check-deb.sh dozuzezo_<version>_amd64.deb
set -euo pipefail
deb=$1
fail() { echo "check-deb: $*" >&2; exit 1; }
[[ $(basename "$deb") =~ ^dozuzezo_[0-9]+\.[0-9]+\.[0-9]+_amd64\.deb$ ]] || fail "unexpected name $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
depends_on() { tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$1"; }
# Loaded as plugins, or only as fonts and certificates: no linker sees them.
for needed in qt6-qpa-plugins libssl3 ca-certificates fonts-noto-cjk; do
    depends_on "$needed" || fail "Depends lacks $needed: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
id=$(grep -oE '/usr/share/applications/[^/]+\.desktop$' <<<"$files" | xargs -r basename | sed 's/\.desktop$//')
[ -n "$id" ] || fail "no desktop entry"
expected=(
    /usr/bin/dozuzezo
    /usr/bin/dozuzezo-export
    "/usr/share/applications/$id.desktop"
    "/usr/share/metainfo/$id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$id.svg"
    /usr/share/man/man1/dozuzezo-export.1.gz
    /usr/share/bash-completion/completions/dozuzezo-export
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
for f in "${expected[@]}"; do
    grep -qxF "$f" <<<"$files" || fail "missing $f"
done
# The programs' own modules, in a library folder that may name the architecture.
module_folder='^/usr/lib/([^/]+/)?dozuzezo/'
grep -qE "${module_folder}libdozuzezo-settings-bridge\.so$" <<<"$files" || fail "missing the settings bridge"
grep -qE "${module_folder}libdozuzezo-zip-reader\.so$" <<<"$files" || fail "missing the zip reader"
grep -qE "${module_folder}libdozuzezo-fetcher\.so$" <<<"$files" || fail "missing the window's fetcher"
bridge_pattern="${module_folder}libdozuzezo-(settings-bridge|zip-reader|fetcher)\.so$"
# The export reads archives through its zip reader, which links these.
for needed in libzip4 libdeflate0; do
    depends_on "$needed" || fail "Depends lacks $needed: $depends"
done
unexpected=$(grep -vE '/$' <<<"$files" | grep -vxF -f <(printf '%s\n' "${expected[@]}") | grep -vE "$bridge_pattern" || true)
[ -z "$unexpected" ] || fail "unexpected files: $unexpected"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
desktop-file-validate "$tmp/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$tmp/usr/share/metainfo/$id.metainfo.xml" >/dev/null || fail "appstreamcli validate"
zcat "$tmp/usr/share/man/man1/dozuzezo-export.1.gz" | grep -q '^\.SH EXIT STATUS' || fail "manual page unreadable"
"$tmp/usr/bin/dozuzezo-export" --version | grep -qF "$(dpkg-deb -f "$deb" Version)" ||
    fail "--version differs from the package's version"

# Every library a program or a module links comes from a package it depends on.
for elf in "$tmp"/usr/bin/* $(find "$tmp/usr/lib" -name '*.so'); do
    resolved=$(ldd "$elf")
    for soname in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        [[ $soname == ld-linux* ]] && continue  # the loader, part of libc6
        path=$(awk -v so="$soname" '$1 == so && $2 == "=>" {print $3}' <<<"$resolved")
        [ -n "$path" ] && [ "$path" != "not" ] || fail "$(basename "$elf") needs $soname, found nowhere"
        owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null) ||
            fail "no package here provides $path"
        owner=${owner%%:*}
        [ "$owner" = libc6 ] || depends_on "$owner" || fail "$(basename "$elf") needs $soname from $owner, not in Depends"
    done
done
echo "check-deb: $(basename "$deb"): $(grep -vcE '/$' <<<"$files") files; Depends: $depends"

# With --install: install it here with apt, run it, remove it, and check that
# nothing it installed is left behind.
if [ "${2:-}" = --install ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get install -y -qq "$(realpath "$deb")" >/dev/null
    installed=$(dpkg -L dozuzezo)
    dozuzezo-export --version >/dev/null || fail "the installed dozuzezo-export does not run"
    man -w dozuzezo-export >/dev/null || fail "man dozuzezo-export finds no page"
    $sudo apt-get remove -y -qq dozuzezo >/dev/null
    while read -r f; do
        [ -d "$f" ] && [ "$f" != "${f#*dozuzezo}" ] && fail "left behind: $f"
        [ -d "$f" ] || [ ! -e "$f" ] || fail "left behind: $f"
    done <<<"$installed"
    echo "check-deb: installed, ran and removed without a trace"
fi
