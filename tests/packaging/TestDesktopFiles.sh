#!/usr/bin/env bash
# The desktop entry, AppStream metadata and manual page as built, through
# the validators and against the program's own --help.
# Usage: TestDesktopFiles.sh <build-dir> <source-dir>
set -uo pipefail
build=$1 source=$2
out=$build/packaging
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

desktop=$(ls "$out"/*.desktop)
metainfo=$(ls "$out"/*.metainfo.xml)
id=$(basename "$desktop" .desktop)

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $id.desktop"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
# A file manager's "open with" hands over one list.
grep -qx 'Exec=dozuzezo %f' "$desktop" || fail "the desktop entry does not pass the file"
grep -qx 'MimeType=text/csv;application/zip;' "$desktop" || fail "the desktop entry does not offer CSV and zip"
for key in 'Name\[ja\]' 'Comment\[ja\]' Name Comment; do
    grep -qE "^$key=" "$desktop" || fail "the desktop entry has no $key"
done
for size in 16 32 48 64 128 256; do
    icon=$out/icons/${size}x$size/$id.png
    [ "$(file -b "$icon" | grep -o "$size x $size")" = "$size x $size" ] || fail "icon $icon is not $size x $size"
done

# With the screenshots listed, as once docs/ is published.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake -DIN="$source/packaging/metainfo.xml.in" -DOUT="$tmp/$id.metainfo.xml" -DDOZUZEZO_APP_ID="$id" \
    -DPROJECT_VERSION=1.0.0 -DRELEASE_DATE=2026-01-01 -DHOMEPAGE=https://example.org/ \
    -DSCREENSHOT_BASE_URL=https://example.org/docs/ "-DSCREENSHOTS=main-window.png;other.png" \
    -P "$source/packaging/metainfo.cmake"
appstreamcli validate --no-net "$tmp/$id.metainfo.xml" >/dev/null || fail "metainfo with screenshots does not validate"
grep -q '<image>https://example.org/docs/main-window.png</image>' "$tmp/$id.metainfo.xml" || fail "no main-window screenshot"

# The manual page renders cleanly and names every option --help names.
page=$out/dozuzezo-export.1
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns: $warnings"
text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null)
for option in $("$build/cli/dozuzezo-export" --help | grep -oE -- '--?[a-z]+' | sort -u); do
    grep -qF -- "$option" <<<"$text" || fail "the manual page does not mention $option"
done
for status in 0 2 3 4; do
    grep -qE "^ +$status +[A-Z]" <<<"$text" || fail "the manual page does not explain exit status $status"
done

[ "$failures" -eq 0 ] && echo "desktop files: all checks pass"
exit "$failures"
