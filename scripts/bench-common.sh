# Sourced by the whole-process benchmarks: sets root, build, exe and zip from
# the script's one argument (the build folder), skips where the published
# list is absent, and checks the tools named as arguments to bench_needs.
root=$(cd "$(dirname "${BASH_SOURCE[1]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
exe=$build/cli/dozuzezo-export
zip=${DOZUZEZO_REAL_LIST_ZIP:-$root/../shared/data/ken_all.zip}
business_zip=${DOZUZEZO_REAL_BUSINESS_ZIP:-$root/../shared/data/jigyosyo.zip}
[ -x "$exe" ] || { echo "build first: $exe is missing" >&2; exit 1; }
if [ ! -f "$zip" ]; then
    echo "skipped: the published list $zip is not on this machine"
    exit 0
fi
bench_needs() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh installs it)" >&2; exit 1; }
    done
}
# The peak memory of one run of a command, in MB: GNU time measures the
# program alone (a child forked from a script would count the script too).
peak_mb() {
    [ -x /usr/bin/time ] || { echo "needs /usr/bin/time (scripts/install-deps.sh installs it)" >&2; exit 1; }
    local file
    file=$(mktemp)
    /usr/bin/time -f %M -o "$file" "$@" >/dev/null
    awk '{ printf "%.1f", $1 / 1024 }' "$file"
    rm -f "$file"
}
