#!/usr/bin/env bash
# Time from process start to the main window painted, side by side with a
# bare Qt main window (bench/bare_window: a menu bar, a toolbar and a status
# bar), under a virtual X screen with no splash. The two alternate, one run
# of each per pair (in turn first), and the figure is the median of the
# per-pair ratios: batches run one after the other drift too much on a
# shared machine. For the published list unzipped, ken_all.zip as downloaded
# (found in the settings' folder) and the made-up sample; with the medians
# in milliseconds and each side's peak memory.
# It runs bench/startup_harness: the program's own start-up, ending itself
# once the main window has painted, so each figure also holds the exit.
#   scripts/bench-startup.sh [build-dir]      (default: build; PAIRS=21)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program=$build/bench/startup_harness
bare=$build/bench/bare_window
zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
for exe in "$program" "$bare"; do
    [ -x "$exe" ] || { echo "build first: $exe is missing" >&2; exit 1; }
done
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

display=:$((200 + RANDOM % 500))
Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
mkdir -m 700 "$work/runtime"
export DISPLAY=$display XDG_RUNTIME_DIR=$work/runtime
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$program" "$bare" "$work" "$root/samples/made_up_sample_ken_all.csv" "${PAIRS:-21}" <<'PY'
import os, statistics, subprocess, sys, time
program, bare, work, sample, pairs = sys.argv[1:4] + sys.argv[4:5] + [int(sys.argv[5])]

def run(argv, settings):
    env = dict(os.environ, DOZUZEZO_SETTINGS=settings)
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, env)
    _, status, usage = os.wait4(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"FAIL: {argv} ended with status {os.waitstatus_to_exitcode(status)}")
    return elapsed, usage.ru_maxrss / 1024

cases = (("real list", [program, "--list", f"{work}/KEN_ALL.CSV"], f"{work}/settings.ini"),
         ("ken_all.zip", [program], f"{work}/zip.ini"),
         ("made-up sample", [program, "--list", sample], f"{work}/settings.ini"))
for name, argv, settings in cases:
    ours = lambda: run(argv, settings)
    floor = lambda: run([bare], settings)
    for _ in range(3):
        ours(), floor()
    ratios, times, bare_times, peak, bare_peak = [], [], [], 0, 0
    for i in range(pairs):
        # Each side goes first in every other pair.
        if i % 2:
            (b, bm), (t, m) = floor(), ours()
        else:
            (t, m), (b, bm) = ours(), floor()
        ratios.append(t / b)
        times.append(t)
        bare_times.append(b)
        peak, bare_peak = max(peak, m), max(bare_peak, bm)
    print(f"{name:15s} {statistics.median(times):6.1f} ms vs bare window {statistics.median(bare_times):6.1f} ms: "
          f"ratio {statistics.median(ratios):4.2f} (median of {pairs} pairs; target <= 1.15)  "
          f"peak memory {peak:.1f} MB vs {bare_peak:.1f} MB")
PY
