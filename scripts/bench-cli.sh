#!/usr/bin/env bash
# Whole-process timings of the command-line export on the published list,
# side by side with grep and cat in one hyperfine run, printed as ratios,
# plus the export's peak memory.
#   scripts/bench-cli.sh [build-dir]      (default: build)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_needs hyperfine python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
cd "$work"
export LC_ALL=C

# grep and cat write through the shell's redirection, so both sides run
# under a shell and hyperfine subtracts the shell's own start-up. Every run
# writes a new file, as a user saving an export usually does (replacing an
# existing file adds a sync to disk: see bench_postal's export figures).
hyperfine --warmup 5 --runs ${RUNS:-60} --export-json kanto.json \
    --prepare "rm -f grep.out" --prepare "rm -f kanto.csv" \
    -n "grep -E '^1[34]'" "grep -E '^1[34]' KEN_ALL.CSV > grep.out" \
    -n "dozuzezo-export 13 14" "$exe -l KEN_ALL.CSV -o kanto.csv 13 14" >/dev/null
hyperfine --warmup 5 --runs ${RUNS:-60} --export-json all.json \
    --prepare "rm -f cat.out" --prepare "rm -f all.csv" \
    -n "cat" "cat KEN_ALL.CSV > cat.out" \
    -n "dozuzezo-export --all" "$exe -l KEN_ALL.CSV -o all.csv --all" >/dev/null
cmp -s grep.out kanto.csv || { echo "FAIL: 13 14 differs from grep's lines" >&2; exit 1; }
cmp -s KEN_ALL.CSV all.csv || { echo "FAIL: --all differs from the list" >&2; exit 1; }

python3 - <<'PY'
import json
def medians(name):
    return {r["command"]: r["median"] * 1000 for r in json.load(open(name))["results"]}
for name, ref, ours, target in (("kanto.json", "grep -E '^1[34]'", "dozuzezo-export 13 14", 1.0),
                                ("all.json", "cat", "dozuzezo-export --all", 1.5)):
    m = medians(name)
    ratio = m[ours] / m[ref]
    print(f"{ours:24s} {m[ours]:6.2f} ms   {ref:18s} {m[ref]:6.2f} ms   ratio {ratio:4.2f} (target <= {target})")
PY
echo "peak memory of dozuzezo-export --all: $(peak_mb "$exe" -l KEN_ALL.CSV -o peak.csv --all) MB (target <= 40)"
rm -f peak.csv
echo "peak memory of dozuzezo-export --all to standard output: $(peak_mb "$exe" -l KEN_ALL.CSV -o - --all) MB"
