#!/usr/bin/env bash
# Whole-process timings of the command-line export on the published list,
# side by side with grep and cat, printed as ratios, plus the export's peak
# memory; the business-office list's export beside grep too, where its
# archive is here.
#   scripts/bench-cli.sh [build-dir]      (default: build; PAIRS=61)
#
# A run of the reference and a run of the export alternate, each side
# first in every other pair, and the median of the per-pair ratios is
# printed: batches run one after the other drift too much on a shared
# machine, and subtracting a shell's start-up from a 6 ms command is
# noisier than the difference measured. No shell on either side: grep's
# and cat's standard output is a new file opened for them, as a shell's
# redirection would, and every run of either side writes a new file.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_needs python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
[ -f "$business_zip" ] && (cd "$work" && cmake -E tar xf "$business_zip")
cd "$work"
export LC_ALL=C
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$exe" "${PAIRS:-61}" <<'PY'
import filecmp, os, shutil, statistics, sys, time
exe, pairs = sys.argv[1], int(sys.argv[2])

def run(argv, writes, output=None):
    """Milliseconds from spawning to the end; what it writes is a new file."""
    if os.path.exists(writes):
        os.unlink(writes)
    start = time.perf_counter()
    actions, fd = [], None
    if output:
        fd = os.open(output, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        actions = [(os.POSIX_SPAWN_DUP2, fd, 1)]
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    _, status = os.waitpid(pid, 0)
    if fd is not None:
        os.close(fd)
    elapsed = (time.perf_counter() - start) * 1000
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"FAIL: {argv} ended with status {os.waitstatus_to_exitcode(status)}")
    return elapsed

grep, cat = shutil.which("grep"), shutil.which("cat")
cases = (("dozuzezo-export 13 14", [exe, "-l", "KEN_ALL.CSV", "-o", "ours.csv", "13", "14"],
          "grep -E '^1[34]'", [grep, "-E", "^1[34]", "KEN_ALL.CSV"], 1.0),
         ("dozuzezo-export --all", [exe, "-l", "KEN_ALL.CSV", "-o", "ours.csv", "--all"],
          "cat", [cat, "KEN_ALL.CSV"], 1.5))
if os.path.exists("JIGYOSYO.CSV"):
    cases += (("JIGYOSYO.CSV 13 14", [exe, "-l", "JIGYOSYO.CSV", "-o", "ours.csv", "13", "14"],
               "grep -E '^1[34]'", [grep, "-E", "^1[34]", "JIGYOSYO.CSV"], 1.0),)
for name, ours, ref_name, ref, target in cases:
    ours_run = lambda: run(ours, "ours.csv")
    ref_run = lambda: run(ref, "ref.out", "ref.out")
    for _ in range(5):
        ref_run(), ours_run()
    ratios, ours_times, ref_times = [], [], []
    for i in range(pairs):
        if i % 2:
            r, t = ref_run(), ours_run()
        else:
            t, r = ours_run(), ref_run()
        ratios.append(t / r)
        ours_times.append(t)
        ref_times.append(r)
    ref_run()
    ours_run()
    if not filecmp.cmp("ref.out", "ours.csv", shallow=False):
        sys.exit(f"FAIL: {name} differs from {ref_name}'s output")
    print(f"{name:24s} {statistics.median(ours_times):6.2f} ms   {ref_name:18s} "
          f"{statistics.median(ref_times):6.2f} ms   ratio {statistics.median(ratios):4.2f} "
          f"(median of {pairs} pairs; target <= {target})")
PY
echo "peak memory of dozuzezo-export --all: $(peak_mb "$exe" -l KEN_ALL.CSV -o peak.csv --all) MB (target <= 40)"
rm -f peak.csv
echo "peak memory of dozuzezo-export --all to standard output: $(peak_mb "$exe" -l KEN_ALL.CSV -o - --all) MB"
