#!/usr/bin/env bash
# Fuzzes the list reader for the given number of seconds (default 60), then
# the plain archive reader against the zip reader for half as long, and
# prints the executions per second. Builds into build-fuzz/ (or $FUZZ_BUILD_DIR).
#   scripts/fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
command -v clang++ >/dev/null || { echo "needs clang (scripts/install-deps.sh installs it)" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DDOZUZEZO_FUZZ=ON -DDOZUZEZO_GUI=OFF -DDOZUZEZO_TESTS=OFF -DDOZUZEZO_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_list_parser fuzz_plain_zip
# New inputs go to a scratch corpus; the seeds in the repository stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fuzz() { # target, seeds, seconds, max length, what
    mkdir "$work/$1"
    cp "$2"/* "$work/$1"/
    "$build/fuzz/$1" -max_total_time="$3" -print_final_stats=1 -max_len="$4" "$work/$1" 2>"$work/$1.log" ||
        { tail -40 "$work/$1.log" >&2; exit 1; }
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$1.log")
    echo "fuzzing $5: $runs runs in $3 s, $((runs / $3)) executions per second"
}
fuzz fuzz_list_parser "$root/fuzz/corpus" "$seconds" 4096 "the list reader"
half=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
fuzz fuzz_plain_zip "$root/fuzz/zip-corpus" "$half" 2048 "the plain archive reader"
