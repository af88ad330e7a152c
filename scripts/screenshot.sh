#!/usr/bin/env bash
# Starts the program under a virtual X screen on a list, with a throw-away
# settings file, saves a screenshot of the screen, and closes the program.
#
#   scripts/screenshot.sh [list.csv] [out.png]
#
# Without a list it uses the published list unzipped from $DOZUZEZO_REAL_LIST_ZIP
# (default ../shared/data/ken_all.zip beside the repository) into a temporary folder; pass
# samples/made_up_sample_ken_all.csv for the project's own sample.
# The program is $BUILD_DIR/app/dozuzezo (BUILD_DIR defaults to build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=$build/app/dozuzezo
list=${1:-}
out=${2:-$root/out/main-window.png}
size=${SCREEN_SIZE:-1024x768}

[ -x "$program" ] || { echo "no program at $program; build first (scripts/build.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -z "$list" ]; then
    zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
    [ -f "$zip" ] || { echo "no list given and no $zip" >&2; exit 1; }
    (cd "$work" && cmake -E tar xf "$zip")
    list=$(find "$work" -maxdepth 1 -iname 'ken_all.csv' | head -n 1)
fi
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")

# A fresh store: no splash, the window centred.
cat >"$work/settings.ini" <<INI
[Config]
OptLogo=0
[Position]
OptCent=1
INI

cat >"$work/shoot.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
program=$1 list=$2 out=$3
start=$(date +%s%N)
LC_TIME=$PROGRAM_LC_TIME "$program" --list "$list" &
pid=$!
shown=""
for _ in $(seq 1 300); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"vevoz.* for Windows"'; then
        shown=$(date +%s%N)
        break
    fi
    kill -0 "$pid" 2>/dev/null || { echo "the program ended early" >&2; exit 1; }
    sleep 0.02
done
[ -n "$shown" ] || { echo "no window after 6 s" >&2; kill "$pid"; exit 1; }
echo "window shown $(( (shown - start) / 1000000 )) ms after start"
sleep 1  # let it paint
import -window root "$out"
kill "$pid"   # a close from outside: the throw-away settings need no saving
wait "$pid" 2>/dev/null || true
INNER
chmod +x "$work/shoot.sh"

# The clock's AM/PM designators follow the user's locale; show a Japanese
# user's (for the program only: the X tools need a locale that is installed).
DOZUZEZO_SETTINGS=$work/settings.ini LANG=${LANG:-C.UTF-8} PROGRAM_LC_TIME=${LC_TIME:-ja_JP.UTF-8} \
    xvfb-run -a -s "-screen 0 ${size}x24 -dpi 96" "$work/shoot.sh" "$program" "$list" "$out"
echo "saved $out"
