#!/usr/bin/env bash
# Fuzzes the list reader for the given number of seconds (default 60) and
# prints the executions per second. Builds into build-fuzz/ (or $FUZZ_BUILD_DIR).
#   scripts/fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
command -v clang++ >/dev/null || { echo "needs clang (scripts/install-deps.sh installs it)" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DDOZUZEZO_FUZZ=ON -DDOZUZEZO_GUI=OFF -DDOZUZEZO_TESTS=OFF -DDOZUZEZO_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_list_parser
# New inputs go to a scratch corpus; the seeds in the repository stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/fuzz/corpus/* "$work"/
"$build/fuzz/fuzz_list_parser" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    "$work" 2>"$work.log" || { tail -40 "$work.log" >&2; rm -f "$work.log"; exit 1; }
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
rm -f "$work.log"
echo "fuzzing the list reader: $runs runs in $seconds s, $((runs / seconds)) executions per second"
