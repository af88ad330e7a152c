#!/usr/bin/env bash
# Screenshots of the splash, the settings dialog's two tabs and the about
# window, taken under a virtual X screen with a window manager, the way a user
# opens them: the splash at start, Ctrl+K, Ctrl+Tab, and the help menu's
# ﾊﾞｰｼﾞｮﾝ情報.
#
#   scripts/screenshot-windows.sh [out-dir]      (default docs/)
#
# Uses the project's made-up sample list and a throw-away settings file.
# The program is $BUILD_DIR/app/dozuzezo (BUILD_DIR defaults to build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=$build/app/dozuzezo
out=$(mkdir -p "${1:-$root/docs}" && cd "${1:-$root/docs}" && pwd)

[ -x "$program" ] || { echo "no program at $program; build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/settings.ini" <<INI
[Config]
OptLogo=1
FolderName=$root/samples
Yubin_File=made_up_sample_ken_all.csv
[Position]
OptCent=1
INI

cat >"$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
program=$1 out=$2 work=$3
openbox >/dev/null 2>&1 &
sleep 0.5

# A window's frame, title bar included, cut from the whole screen.
shoot() {
    local id=$1 file=$2 frame extents
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    frame=$(xwininfo -id "$id" | awk -v e="$extents" '
        BEGIN {split(e, f, " ")}
        /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2}
        END {print w+f[1]+f[2] "x" h+f[3]+f[4] "+" x-f[1] "+" y-f[3]}')
    import -window root -crop "$frame" +repage "$file"
    echo "saved $file ($frame)"
}

"$program" &
pid=$!
# The splash has no title: the screen around it is cut away.
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -fuzz 2% -trim +repage "$out/splash.png"
echo "saved $out/splash.png"

main=$(xdotool search --sync --onlyvisible --name '^vevoz君 for Windows$' | head -n 1)
sleep 0.5
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key ctrl+k
settings=$(xdotool search --sync --onlyvisible --name '^各種設定$' | head -n 1)
sleep 0.5
shoot "$settings" "$out/settings-dialog.png"
xdotool windowactivate --sync "$settings"
xdotool key ctrl+Tab  # the folder tab, opened at the stored folder
sleep 0.7
shoot "$settings" "$out/settings-folder-tab.png"
xdotool key alt+F4   # the close box: closes without applying
sleep 0.5

xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key alt+h
sleep 0.3
xdotool key a
about=$(xdotool search --sync --onlyvisible --name '^ﾊﾞｰｼﾞｮﾝ情報$' | head -n 1)
sleep 0.5
shoot "$about" "$out/about-window.png"
kill "$pid"
wait "$pid" 2>/dev/null || true
INNER
chmod +x "$work/shoot.sh"

DOZUZEZO_SETTINGS=$work/settings.ini LANG=${LANG:-C.UTF-8} \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/shoot.sh" "$program" "$out" "$work"
