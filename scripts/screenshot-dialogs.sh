#!/usr/bin/env bash
# Opens the region dialog, the copy and rename dialogs and the delete
# question with the keyboard alone, under a virtual X screen with a window
# manager, and saves a picture of each window into docs/.
#
#   scripts/screenshot-dialogs.sh [list.csv] [out-folder]
#
# The list defaults to the project's made-up sample; the program is
# $BUILD_DIR/app/dozuzezo (BUILD_DIR defaults to build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=$build/app/dozuzezo
list=${1:-$root/samples/made_up_sample_ken_all.csv}
out=${2:-$root/docs}

[ -x "$program" ] || { echo "no program at $program; build first (scripts/build.sh)" >&2; exit 1; }
for tool in xdotool openbox import xvfb-run; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")
mkdir -p "$out"
out=$(cd "$out" && pwd)

cat >"$work/settings.ini" <<INI
[Config]
OptLogo=0
[Position]
OptCent=1
INI

cat >"$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
program=$1 list=$2 out=$3 work=$4
openbox >/dev/null 2>&1 &
sleep 0.5
"$program" --list "$list" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# Waits for a window of exactly this title and gives it a moment to paint.
window() {
    local id=""
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.05
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; exit 1; }
    sleep 0.7
    echo "$id"
}
keys() { xdotool key --delay 120 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.2; }
shoot() { import -frame -window "$1" "$out/$2"; echo "saved $out/$2"; }

main=$(window 'vevoz君 for Windows')
xdotool windowactivate --sync "$main" 2>/dev/null || true

# A list to work on: the ticked prefectures saved under the work folder.
keys ctrl+s
window '保存ﾌｧｲﾙを選択' >/dev/null
type_text "$work/kanto.csv"; keys Return
window '保存確認' >/dev/null; keys Return

keys alt+e a
shoot "$(window '選択／非選択')" region-dialog.png
keys alt+F4

keys alt+e c
window 'ｺﾋﾟｰするﾌｧｲﾙを選択' >/dev/null
type_text "$work/kanto.csv"; keys Return
copy=$(window 'ファイルのコピー')
type_text "kanto-copy.csv"
shoot "$copy" copy-dialog.png
keys alt+F4

keys alt+e r
window '名前を変更するﾌｧｲﾙを選択' >/dev/null
type_text "$work/kanto.csv"; keys Return
rename=$(window 'ﾌｧｲﾙ名の変更')
type_text "kanto-2024.csv"
shoot "$rename" rename-dialog.png
keys alt+F4

keys alt+e d
window '削除するﾌｧｲﾙを選択' >/dev/null
type_text "$work/kanto.csv"; keys Return
shoot "$(window '削除確認')" delete-question.png
keys Escape
INNER
chmod +x "$work/shoot.sh"

DOZUZEZO_SETTINGS=$work/settings.ini LANG=${LANG:-C.UTF-8} \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/shoot.sh" "$program" "$list" "$out" "$work"
