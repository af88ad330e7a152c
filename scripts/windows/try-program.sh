#!/usr/bin/env bash
# The installed Windows program used as a user uses it, by the keyboard alone,
# under Wine on a virtual screen of its own (Xvfb, openbox) with a Wine prefix
# of its own, set up as a Japanese user's. A portable copy in C:\DOZUZEZO keeps
# the published list beside itself, and nothing but its own folder supplies
# its DLLs (no WINEPATH).
#
# Three starts. The first, on a fresh registry: the splash, then the main
# window; every tick cleared in 選択／非選択, 東京都 and 神奈川県 ticked on the
# map; Ctrl+S, a path typed into the system's chooser, the file compared with
# the Linux build's export of 13 14 and the lines grep finds; 各種設定 and
# ﾊﾞｰｼﾞｮﾝ情報; File → 終了; the registry read. The second: the ticks and the
# window's place came back; a missing folder, a name that exists (the
# chooser's replace question, answered no, then yes) and a read-only file.
# The third: the list with a line cut short. Each message box's title and text
# are copied out of it (Ctrl+C) and checked.
#
#   scripts/windows/try-program.sh <installed folder> [screenshot folder]
#
# With a screenshot folder, the main window, the region dialog, both tabs of
# 各種設定 and the about window are saved there as windows-*.png. The list is
# unzipped from $DOZUZEZO_REAL_LIST_ZIP (default ../shared/data/ken_all.zip);
# without it the project's made-up sample stands in. The Linux export compared
# with is $BUILD_DIR/cli/dozuzezo-export (default build/). Prints what it
# checked; exits 1 at the first failure, with a picture of the screen.
set -Eeuo pipefail
[ $# -ge 1 ] && [ -f "$1/dozuzezo.exe" ] ||
    { echo "usage: $0 <installed folder holding dozuzezo.exe> [screenshot folder]" >&2; exit 2; }
installed=$(realpath "$1")
shots=""
[ -n "${2:-}" ] && shots=$(mkdir -p "$2" && realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
host=${BUILD_DIR:-$root/build}
zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}

missing=""
for tool in Xvfb openbox xdotool xclip xprop xwininfo import convert wine wineserver winepath localedef; do
    command -v "$tool" >/dev/null || missing+=" $tool"
done
dpkg-query -W -f='${Status}' fonts-noto-cjk 2>/dev/null | grep -q "install ok installed" ||
    missing+=" fonts-noto-cjk"
[ -z "$missing" ] || { echo "missing:$missing (scripts/install-deps.sh xclip locales wine wine64)" >&2; exit 2; }

began=$(date +%s)
work=$(mktemp -d)
failure=${TMPDIR:-/tmp}/dozuzezo-try-program-failure.png
xvfb="" openbox="" program=""
cleanup() {
    set +e
    trap - ERR
    [ -n "$program" ] && kill "$program" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    [ -n "$openbox" ] && kill "$openbox" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

ok() { echo "ok: $*"; }
windows() {
    local id
    for id in $(xdotool search --onlyvisible --class dozuzezo 2>/dev/null || true); do
        echo "  $id 「$(xdotool getwindowname "$id" 2>/dev/null || true)」"
    done
}
fail() {
    [ -e "$work/failed" ] && exit 1
    touch "$work/failed"
    echo "FAILED: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        echo "windows shown:" >&2
        windows >&2
        import -silent -window root "$failure" 2>/dev/null && echo "the screen: $failure" >&2
    fi
    [ -s "$work/program.log" ] && { echo "the program's output:" >&2; tr -d '\r' <"$work/program.log" | tail -5 >&2; }
    exit 1
}
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

# The screen: Xvfb picks a free display itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=:$(cat "$work/display")
export DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
openbox=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.05; done

# A Japanese user's Windows: Wine takes its language and formats from the
# locale, built here into the work folder where the system has none.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    mkdir "$work/locale"
    localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" 2>/dev/null || [ -e "$work/locale/ja_JP.UTF-8/LC_CTYPE" ] ||
        fail "localedef could not build ja_JP.UTF-8 (package locales)"
    export LOCPATH=$work/locale
fi
export LC_ALL=ja_JP.UTF-8 2>/dev/null
# As a user starts it: its DLLs from its own folder, its settings in the
# registry, none of the build's or the tests' variables.
# shellcheck disable=SC2046
unset LANG LANGUAGE WINEPATH WINEDLLPATH DOZUZEZO_SETTINGS WAYLAND_DISPLAY $(compgen -e | grep -E '^(WINE)?QT_' || true)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir "$WINEPREFIX"
timeout 120 wineboot --init >/dev/null 2>&1 || fail "wineboot --init failed"
ok "screen $DISPLAY (1280x1024, openbox), a fresh Wine prefix in Japanese, $(($(date +%s) - began)) s"

# The portable copy with its list beside it, and what it should save.
folder=$WINEPREFIX/drive_c/DOZUZEZO
winfolder='C:\DOZUZEZO'
mkdir -p "$folder"
cp -r "$installed/." "$folder/"
if [ -f "$zip" ]; then
    (cd "$folder" && cmake -E tar xf "$zip")
    listname="the published list"
else
    echo "note: $zip is not here: the made-up sample stands in for the published list"
    cp "$root/samples/made_up_sample_ken_all.csv" "$folder/KEN_ALL.CSV"
    listname="the made-up sample"
fi
list=$(find "$folder" -maxdepth 1 -iname ken_all.csv | head -n 1)
[ -n "$list" ] || fail "no KEN_ALL.CSV in $zip"
LC_ALL=C grep -E '^1[34]' "$list" >"$work/expected.csv"
if [ -x "$host/cli/dozuzezo-export" ]; then
    "$host/cli/dozuzezo-export" -l "$list" -o "$work/linux.csv" 13 14
    cmp "$work/expected.csv" "$work/linux.csv" || fail "the Linux build's export of 13 14 differs from grep's lines"
    against="the Linux build's export of 13 14 and grep -E '^1[34]'"
else
    echo "note: no $host/cli/dozuzezo-export: the saved files are compared with grep's lines only"
    against="grep -E '^1[34]'"
fi
saved=$work/saved
mkdir "$saved"
winsaved=$(winepath -w "$saved")

# --- the keyboard and the windows ---------------------------------------

keys() { xdotool key --delay 80 "$@"; }
# xdotool's own wait has no end.
activate() { timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true; }
typed() { xdotool type --delay 30 "$1"; }
alive() { [ -z "$program" ] || kill -0 "$program" 2>/dev/null || fail "the program ended unasked"; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# The window of this title (not $2), active; waits up to 30 s.
window() {
    local id="" deadline=$((SECONDS + 30))
    while [ -z "$id" ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${2:-none}" | tail -n 1 || true)
        [ -n "$id" ] && break
        [ $SECONDS -lt $deadline ] || fail "no window 「$1」"
        alive
        sleep 0.1
    done
    activate "$id"
    echo "$id"
}
gone() {
    local deadline=$((SECONDS + 15))
    while viewable "$1"; do
        [ $SECONDS -lt $deadline ] || fail "window $1 「$(xdotool getwindowname "$1")」 did not close"
        sleep 0.1
    done
}
# No window of this title for a second.
none_shown() {
    local i
    for i in $(seq 10); do
        [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ] || fail "「$1」 was shown: $2"
        sleep 0.1
    done
}
# A message box's title and text as it copies them (Ctrl+C), checked
# against the title and a part of the text; the box stays open.
box() {
    local id=$1 title=$2 part=$3 text=""
    printf '' | xclip -selection clipboard -i
    activate "$id"
    keys ctrl+c
    for _ in $(seq 30); do
        text=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r' | sed 's/\xe2\x80\x8b//g' || true)
        [ -n "$text" ] && break
        sleep 0.1
    done
    [ -n "$text" ] || fail "「$title」: nothing copied out of the box"
    grep -qxF "$title" <<<"$text" || fail "the box is not 「$title」: $text"
    grep -qF "$part" <<<"$text" || fail "「$title」 does not say 「$part」: $text"
    sed -n '/^---/,$p' <<<"$text" | sed '1,3d;/^---/,$d' | tr '\n' ' ' | sed 's/　/ /g; s/  */ /g; s/ $//'
}
# A window's frame, title bar included, once two pictures of it agree.
shoot() {
    local id=$1 file=$2 extents geometry
    [ -n "$shots" ] || return 0
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    geometry=$(xwininfo -id "$id" | awk -v e="$extents" '
        BEGIN {split(e, f, " ")}
        /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2}
        END {print w+f[1]+f[2] "x" h+f[3]+f[4] "+" x-f[1] "+" y-f[3]}')
    : >"$work/before.ppm"
    for _ in $(seq 20); do
        sleep 0.2
        import -silent -window root -crop "$geometry" +repage "$work/after.ppm"
        cmp -s "$work/before.ppm" "$work/after.ppm" && break
        mv "$work/after.ppm" "$work/before.ppm"
    done
    convert "$work/after.ppm" -strip "$shots/$file"
    ok "screenshot $shots/$file (${geometry%%+*})"
}
# Sets $program, $main (or the window titled $1, where one is named) and
# $took; without $1, returns once the splash has gone.
start_program() {
    local shown_at splash="" id name started
    started=$(date +%s%N)
    (cd "$work" && exec wine "$winfolder\\dozuzezo.exe" >"$work/program.log" 2>&1) &
    program=$!
    # The splash (titled as the program by the toolkit) first, then the main window.
    main=""
    for _ in $(seq 600); do
        for id in $(xdotool search --onlyvisible --class dozuzezo 2>/dev/null || true); do
            name=$(xdotool getwindowname "$id" 2>/dev/null || true)
            if [ "$name" = "vevoz君 for Windows" ] || { [ -n "${1:-}" ] && [ "$name" = "$1" ]; }; then
                main=$id
            elif [ -z "$main" ]; then
                splash=$id
            fi
        done
        [ -n "$main" ] && break
        alive
        sleep 0.05
    done
    [ -n "$main" ] || fail "no main window 30 s after the start"
    shown_at=$(date +%s%N)
    [ -n "$splash" ] || fail "no splash before the main window"
    took="$(((shown_at - started) / 1000000)) ms"
    [ -n "${1:-}" ] || gone "$splash"
}
end_program() {
    local status=0 text
    activate "$main"
    keys alt+f x
    local question
    question=$(window 終了確認)
    text=$(box "$question" 終了確認 "を終了しますか")
    keys Return
    local deadline=$((SECONDS + 20))
    while kill -0 "$program" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "the program did not end 20 s after the confirmation"
        sleep 0.1
    done
    wait "$program" || status=$?
    program=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
    ok "ﾌｧｲﾙ → vevoz君 の終了, 「$text」 OK: ended with status 0"
}
# Ctrl+S, the name typed into the system's chooser and Enter; leaves the
# chooser's id in $chooser.
save_as() {
    activate "$main"
    keys ctrl+s
    chooser=$(window 保存ﾌｧｲﾙを選択)
    sleep 0.3
    keys ctrl+a
    typed "$1"
    keys Return
}
saved_box() {
    local id text
    id=$(window 保存確認)
    text=$(box "$id" 保存確認 "$1")
    keys Return
    gone "$id"
    echo "$text"
}
# A key's values as name|type|value lines.
registry() {
    wine reg query "HKCU\\Software\\VB and VBA Program Settings\\DOZUZEZO\\$1" 2>/dev/null | tr -d '\r' |
        sed -n 's/^    \(.*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1|\2|\3/p'
}
# Every tick as expected (ticked: the indices given), the folder and the
# place, all strings.
check_registry() {
    local ticks config position i want got
    ticks=$(registry Ken_on_off)
    for i in $(seq 0 46); do
        want=0
        [[ " $* " == *" $i "* ]] && want=1
        got=$(grep -F "Ken_OnOff($i)|" <<<"$ticks" || true)
        [ "$got" = "Ken_OnOff($i)|REG_SZ|$want" ] || fail "registry: Ken_OnOff($i) is '$got', not a string \"$want\""
    done
    [ "$(wc -l <<<"$ticks")" -eq 47 ] || fail "registry: Ken_on_off holds $(wc -l <<<"$ticks") values, not 47"
    config=$(registry Config)
    grep -qxF "FolderName|REG_SZ|$winfolder" <<<"$config" ||
        fail "registry: FolderName is not $winfolder: $(grep FolderName <<<"$config")"
    position=$(registry Position)
    grep -qE '^K_Left\|REG_SZ\|[0-9]+$' <<<"$position" && grep -qE '^K_Top\|REG_SZ\|[0-9]+$' <<<"$position" ||
        fail "registry: no K_Left and K_Top strings in Position: $position"
    ! grep -v '|REG_SZ|' <<<"$ticks"$'\n'"$config"$'\n'"$position" ||
        fail "registry: values that are not strings (above)"
    ok "registry HKCU\\Software\\VB and VBA Program Settings\\DOZUZEZO: $(printf 'Ken_OnOff(%s) ' "$@")\"1\", the other $((47 - $#)) \"0\"; FolderName $winfolder; $(grep -E '^K_(Left|Top)' <<<"$position" | cut -d'|' -f1,3 | tr '|' = | xargs echo); all strings (REG_SZ)"
}
same_as_expected() {
    cmp "$1" "$work/expected.csv" || fail "$(basename "$1") is not 13 and 14 as $against give them"
}
origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "," y}'; }

# --- first start: a fresh registry ---------------------------------------

start_program
ok "$winfolder\\dozuzezo.exe with $listname beside it: the splash, then 「vevoz君 for Windows」 after $took"
activate "$main"
shoot "$main" windows-main-window.png

# Every tick cleared in the region dialog: focus starts on its first box;
# eight Tabs reach 全選択, ticked as every region is; Tab, OK.
keys alt+e a
region=$(window 選択／非選択)
shoot "$region" windows-region-dialog.png
keys Tab Tab Tab Tab Tab Tab Tab Tab space Tab Return
gone "$region"
# On the map the focus is back on 北海道: 東京都 is twelve Tabs on, 神奈川県 the next.
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space Tab space
ok "選択／非選択: 全選択 cleared, OK; on the map 東京都 and 神奈川県 ticked (Tab, Space)"

save_as "$winsaved\\tokyo-kanagawa.csv"
text=$(saved_box "指定の都道府県を保存しました。")
same_as_expected "$saved/tokyo-kanagawa.csv"
ok "Ctrl+S, 「$winsaved\\tokyo-kanagawa.csv」 typed into the chooser, Enter: 「$text」; the file is $against, byte for byte ($(wc -c <"$saved/tokyo-kanagawa.csv") bytes)"

activate "$main"
keys ctrl+k
settings=$(window 各種設定)
shoot "$settings" windows-settings-dialog.png
keys ctrl+Tab
sleep 0.3
shoot "$settings" windows-settings-folder-tab.png
keys alt+F4
gone "$settings"
activate "$main"
keys alt+h a
about=$(window ﾊﾞｰｼﾞｮﾝ情報)
shoot "$about" windows-about-window.png
keys Return
gone "$about"
ok "Ctrl+K: 各種設定 (both tabs), closed by its close box; ﾍﾙﾌﾟ → ﾊﾞｰｼﾞｮﾝ情報, OK"

# Moved elsewhere before the end, as a user drags it.
place=$(origin "$main")
xdotool windowmove "$main" 100 90
for _ in $(seq 50); do [ "$(origin "$main")" != "$place" ] && break; sleep 0.1; done
place=$(origin "$main")
end_program
check_registry 12 13

# --- second start: what was stored comes back; bad paths ---------------------

start_program
ok "started again: the main window after $took"
[ "$(origin "$main")" = "$place" ] || fail "the window opened at $(origin "$main"), not where it was ended ($place)"
save_as "$winsaved\\again.csv"
saved_box "指定の都道府県を保存しました。" >/dev/null
same_as_expected "$saved/again.csv"
ok "the ticks and the window's place came back: Ctrl+S saved 13 and 14 again, byte for byte; the window at $place, where it was moved to"

# A missing folder: the chooser refuses it itself (under Wine its box has no
# title); the program is not asked and nothing is written.
save_as "$winsaved\\missing\\x.csv"
refusal=""
for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --class dozuzezo 2>/dev/null || true); do
        [ -z "$(xdotool getwindowname "$id" 2>/dev/null || true)" ] && refusal=$id
    done
    [ -n "$refusal" ] && break
    [ -z "$(xdotool search --onlyvisible --name '^保存確認$' 2>/dev/null || true)" ] || fail "a missing folder reached the program"
    sleep 0.1
done
[ -n "$refusal" ] || fail "the chooser took the missing folder $winsaved\\missing without a word"
keys Return
gone "$refusal"
viewable "$chooser" || fail "the chooser closed on a missing folder"
activate "$chooser"
keys Escape
gone "$chooser"
none_shown 保存確認 "after the chooser was cancelled"
[ ! -e "$saved/missing" ] || fail "a missing folder was made"
ok "a missing folder ($winsaved\\missing\\x.csv): the chooser's own refusal, the chooser kept open; cancelled: no message, nothing written"

# A name that exists: the chooser asks; no keeps the file and the chooser,
# yes replaces it.
echo old >"$saved/old.csv"
save_as "$winsaved\\old.csv"
question=$(window 保存ﾌｧｲﾙを選択 "$chooser")
keys n
gone "$question"
[ "$(cat "$saved/old.csv")" = old ] || fail "answering no to the replace question changed the file"
viewable "$chooser" || fail "the chooser closed on no to the replace question"
activate "$chooser"
keys Return
question=$(window 保存ﾌｧｲﾙを選択 "$chooser")
keys y
gone "$question"
text=$(saved_box "指定の都道府県を保存しました。")
same_as_expected "$saved/old.csv"
ok "a name that exists: the chooser's replace question; no kept the file, yes: 「$text」, the file replaced by 13 and 14"

# A read-only file: replacing it is refused by the program, which says why.
echo old >"$saved/readonly.csv"
chmod a-w "$saved/readonly.csv"
save_as "$winsaved\\readonly.csv"
question=$(window 保存ﾌｧｲﾙを選択 "$chooser")
keys y
gone "$question"
text=$(saved_box "読み取り専用")
[ "$(cat "$saved/readonly.csv")" = old ] || fail "the read-only file was changed"
ok "a read-only file, replace answered yes: 「$text」; the file unchanged"
end_program
check_registry 12 13

# --- third start: a damaged list -------------------------------------------

# A line cut short after its seventh field (the 1000th, or the middle one
# of a short list).
cut=$(($(wc -l <"$list") / 2))
[ "$cut" -le 1000 ] || cut=1000
LC_ALL=C awk -F, -v OFS=, -v cut="$cut" 'NR == cut { NF = 7; $0 = $0 "\r" } { print }' "$list" >"$work/damaged.csv"
mv "$work/damaged.csv" "$list"
start_program ファイル確認
warning=$main
text=$(box "$warning" ファイル確認 "$cut 行目の項目が 7 個です")
grep -qF "読み込めませんでした" <<<"$text" || fail "ファイル確認 does not say the list was not read: $text"
keys Return
gone "$warning"
main=$(window "vevoz君 for Windows")
ok "$listname with line $cut cut short: 「ファイル確認」 after $took: 「$text」"
activate "$main"
keys ctrl+s
text=$(saved_box "郵便番号一覧が読み込まれていないため、保存できません。")
none_shown 保存ﾌｧｲﾙを選択 "with no list loaded"
ok "then Ctrl+S: 「$text」, no chooser"
end_program
check_registry 12 13

echo "try-program: all passed in $(($(date +%s) - began)) s ($installed)"
