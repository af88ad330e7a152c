#!/usr/bin/env bash
# The fetch's peak memory refusing a body over the 64 MiB limit, each way a
# server may send one: 70 MiB with its length, 70 MiB in chunks, 1 GiB of
# zeros gzip-compressed with a length and in chunks; then 64 MiB accepted.
#   scripts/bench-fetch.sh [build-dir]      (default: build)
set -euo pipefail
build=${1:-$(dirname "$0")/../build}
for mode in length chunked gzip gzip-chunked "length 64"; do
    # shellcheck disable=SC2086
    "$build/bench/fetch_memory" $mode
done
