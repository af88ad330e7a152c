#!/usr/bin/env bash
# Installs a build into an empty temporary prefix and checks that the
# installed programs run from there and find what they load.
# Usage: scripts/check-install.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${BUILD_DIR:-$root/build}}" && pwd)
sample=$root/samples/made_up_sample_ken_all.csv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
bin=$prefix/bin
[ -x "$bin/dozuzezo-export" ] || fail "no bin/dozuzezo-export"
bridge=$(find "$prefix" -name 'libdozuzezo-settings-bridge.so')
[ -n "$bridge" ] || fail "no settings bridge installed"
[ "$(dirname "$bridge")" != "$bin" ] || fail "the bridge belongs in a library folder, not bin/"
reader=$(find "$prefix" -name 'libdozuzezo-zip-reader.so')
[ "$(dirname "$reader")" = "$(dirname "$bridge")" ] || fail "the zip reader is not installed beside the bridge"
if [ -e "$bin/dozuzezo" ]; then
    fetcher=$(find "$prefix" -name 'libdozuzezo-fetcher.so')
    [ "$(dirname "$fetcher")" = "$(dirname "$bridge")" ] || fail "the window's fetcher is not installed beside the bridge"
fi

# A settings file of our own: never the user's.
export DOZUZEZO_SETTINGS=$work/settings.ini HOME=$work XDG_CONFIG_HOME=$work/config
mkdir -p "$work/lists"
cp "$sample" "$work/lists/ken_all.csv"
printf '[Config]\nFolderName=%s\nYubin_File=ken_all.csv\nOptLogo=0\n' "$work/lists" >"$DOZUZEZO_SETTINGS"

version=$("$bin/dozuzezo-export" --version) || fail "--version failed"
grep -qE '^dozuzezo-export .* [0-9]+\.[0-9]+\.[0-9]+$' <<<"$version" || fail "--version printed: $version"
"$bin/dozuzezo-export" --help | grep -q -- '--version' || fail "--help does not list --version"
rc=0; "$bin/dozuzezo-export" --version >/dev/full 2>/dev/null || rc=$?
[ "$rc" -eq 4 ] || fail "--version into a full disk exited $rc, not 4"

# No -l: the list comes through the settings, read by the installed bridge.
"$bin/dozuzezo-export" -o "$work/out.csv" 13 47 || fail "export through the settings failed"
LC_ALL=C grep -E '^(13|47)' "$sample" | cmp -s - "$work/out.csv" || fail "export through the settings wrote other lines"
mv "$bridge" "$work/moved.so"
rc=0; "$bin/dozuzezo-export" -o "$work/out2.csv" 13 2>"$work/err" || rc=$?
mv "$work/moved.so" "$bridge"
[ "$rc" -eq 3 ] && grep -q '設定を読めない' "$work/err" || fail "without its bridge the export exited $rc: $(cat "$work/err")"

# An archive: a plain one is read by the export itself; one that is not (here
# cut short) goes to the installed zip reader, and is refused plainly without it.
(cd "$work/lists" && cmake -E tar cf "$work/lists.zip" --format=zip ken_all.csv)
"$bin/dozuzezo-export" -l "$work/lists.zip" -o "$work/zip.csv" 13 47 || fail "export from an archive failed"
cmp -s "$work/out.csv" "$work/zip.csv" || fail "the archive gave other lines than the list"
head -c 100 "$work/lists.zip" >"$work/cut.zip"
rc=0; "$bin/dozuzezo-export" -l "$work/cut.zip" -o "$work/zip2.csv" 13 2>"$work/err" || rc=$?
[ "$rc" -eq 3 ] && grep -q '壊れているか' "$work/err" || fail "a cut-short archive: exited $rc: $(cat "$work/err")"
mv "$reader" "$work/moved.so"
rc=0; "$bin/dozuzezo-export" -l "$work/lists.zip" -o "$work/zip2.csv" 13 || rc=$?
[ "$rc" -eq 0 ] || fail "without its zip reader a plain archive failed ($rc)"
rc=0; "$bin/dozuzezo-export" -l "$work/cut.zip" -o "$work/zip3.csv" 13 2>"$work/err" || rc=$?
mv "$work/moved.so" "$reader"
[ "$rc" -eq 3 ] && grep -q '読む部品を読み込めません' "$work/err" && [ ! -e "$work/zip3.csv" ] ||
    fail "without its zip reader the export exited $rc: $(cat "$work/err")"

# The windowed program starts from the prefix and keeps running until ended.
if [ -e "$bin/dozuzezo" ]; then
    rc=0
    QT_QPA_PLATFORM=offscreen timeout 5 "$bin/dozuzezo" --list "$sample" >"$work/gui.log" 2>&1 || rc=$?
    [ "$rc" -eq 124 ] || fail "the installed program ended by itself ($rc): $(cat "$work/gui.log")"
    ! grep -qiE 'could not|cannot|failed' "$work/gui.log" || fail "the installed program complained: $(cat "$work/gui.log")"
fi
echo "check-install: programs run from $prefix"
