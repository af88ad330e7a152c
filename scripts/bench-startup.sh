#!/usr/bin/env bash
# Time from process start to the main window painted, on the published list
# (unzipped, and ken_all.zip as downloaded, found in the settings' folder)
# with no splash, under a virtual X screen (hyperfine, median of many runs).
# It runs bench/startup_harness: the program's own start-up, ending itself
# once the main window has painted, so each figure also holds the exit.
#   scripts/bench-startup.sh [build-dir]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program=$build/bench/startup_harness
zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
if [ ! -f "$zip" ]; then
    echo "skipped: the published list $zip is not on this machine"
    exit 0
fi
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
printf '[Config]\nOptLogo=0\n[Position]\nOptCent=1\n' >"$work/settings.ini"
# The folder holds only the archive: the list is read out of it.
mkdir "$work/zip" && cp "$zip" "$work/zip/ken_all.zip"
printf '[Config]\nOptLogo=0\nFolderName=%s\nYubin_File=ken_all.csv\n[Position]\nOptCent=1\n' "$work/zip" >"$work/zip.ini"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display DOZUZEZO_SETTINGS=$work/settings.ini
hyperfine -N --warmup 3 --runs ${RUNS:-30} --export-json "$work/startup.json" \
    -n "real list" "$program --list $work/KEN_ALL.CSV" \
    -n "made-up sample" "$program --list $root/samples/made_up_sample_ken_all.csv" >/dev/null
DOZUZEZO_SETTINGS=$work/zip.ini hyperfine -N --warmup 3 --runs ${RUNS:-30} --export-json "$work/zip.json" \
    -n "ken_all.zip" "$program" >/dev/null
python3 - "$work/startup.json" "$work/zip.json" <<'PY'
import json, sys
for name in sys.argv[1:]:
    for r in json.load(open(name))["results"]:
        print(f"start to window shown, {r['command']:15s} median {r['median']*1000:6.1f} ms (target <= 300 ms)")
PY
# Peak memory of a start from the archive (the harness ends itself once shown).
DOZUZEZO_SETTINGS=$work/zip.ini python3 - "$program" <<'PY'
import resource, subprocess, sys
subprocess.run([sys.argv[1]], check=True)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
print(f"peak memory, start from ken_all.zip to window shown: {peak:.1f} MB")
PY
