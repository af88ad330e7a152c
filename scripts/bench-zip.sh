#!/usr/bin/env bash
# Whole-process timing of the command-line export reading ken_all.zip as
# downloaded, side by side in one hyperfine run with unzip piped into grep,
# printed as a ratio, plus the export's peak memory.
#   scripts/bench-zip.sh [build-dir]      (default: build)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_needs hyperfine python3 unzip

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$zip" "$work/ken_all.zip"
cd "$work"
export LC_ALL=C
if ! "$exe" -l ken_all.zip -o probe.csv 13 2>probe.err; then
    echo "skipped: this dozuzezo-export does not read the archive: $(cat probe.err)"
    exit 0
fi

# Both sides run under a shell, whose own start-up hyperfine subtracts; each
# run writes a new file.
hyperfine --warmup 5 --runs ${RUNS:-60} --export-json zip.json \
    --prepare "rm -f grep.out" --prepare "rm -f kanto.csv" \
    -n "unzip | grep" "unzip -p ken_all.zip KEN_ALL.CSV | grep -E '^1[34]' > grep.out" \
    -n "dozuzezo-export -l ken_all.zip 13 14" "$exe -l ken_all.zip -o kanto.csv 13 14" >/dev/null
cmp -s grep.out kanto.csv || { echo "FAIL: 13 14 from the archive differs from grep's lines" >&2; exit 1; }

python3 - <<'PY'
import json
m = {r["command"]: r["median"] * 1000 for r in json.load(open("zip.json"))["results"]}
ours, ref = m["dozuzezo-export -l ken_all.zip 13 14"], m["unzip | grep"]
print(f"dozuzezo-export -l ken_all.zip 13 14 {ours:6.2f} ms   unzip | grep {ref:6.2f} ms   ratio {ours / ref:4.2f} (target <= 0.4)")
PY
echo "peak memory of dozuzezo-export -l ken_all.zip --all: $(peak_mb "$exe" -l ken_all.zip -o peak.csv --all) MB (target <= 50)"
