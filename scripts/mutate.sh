#!/usr/bin/env bash
# How many one-line faults the test suite catches. Each fault in
# scripts/mutants.txt is made in turn in a copy of the tree (build-mutate/src;
# the working tree is never touched), built incrementally into
# build-mutate/build, and the whole suite is run against it: a failing suite
# kills the fault, a passing one lets it survive. Prints each fault's fate,
# the tally per layer and the score; takes about half an hour.
#
#   nice -n 19 scripts/mutate.sh            every fault in the list
#   scripts/mutate.sh cli/ ListParser       only those whose line holds one of the words
#   scripts/mutate.sh --check               only check that every pattern is found once
#   scripts/mutate.sh --every-test cli/     run the whole suite on each, naming every test that fails
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=${MUTANTS:-$root/scripts/mutants.txt}
work=${MUTATE_DIR:-$root/build-mutate}
src=$work/src
build=$work/build
renice -n 19 -p $$ >/dev/null 2>&1 || true

check_only=false
stop=--stop-on-failure
filters=()
for arg in "$@"; do
    case $arg in
    --check) check_only=true ;;
    --every-test) stop="" ;;
    *) filters+=("$arg") ;;
    esac
done

# Entries: "file: pattern ==> replacement  # what it breaks". The pattern is
# a fixed string that must stand on exactly one line of the file, once.
files=() patterns=() replacements=() breaks=()
bad=0
while IFS= read -r line || [ -n "$line" ]; do
    case $line in '' | '#'*) continue ;; esac
    if [ ${#filters[@]} -gt 0 ]; then
        wanted=false
        for f in "${filters[@]}"; do [[ $line == *"$f"* ]] && wanted=true; done
        $wanted || continue
    fi
    file=${line%%: *}
    rest=${line#*: }
    pattern=${rest%% ==> *}
    rest=${rest#* ==> }
    replacement=${rest%% # *}
    replacement=${replacement%"${replacement##*[! ]}"}  # trailing blanks
    what=${rest#* # }
    if [[ $line != *' ==> '*' # '* ]] || [ ! -f "$root/$file" ]; then
        echo "mutants.txt: cannot read this entry: $line" >&2
        bad=$((bad + 1))
        continue
    fi
    lines=$(grep -cF -- "$pattern" "$root/$file" || true)
    times=$( (grep -oF -- "$pattern" "$root/$file" || true) | wc -l)
    if [ "$lines" != 1 ] || [ "$times" != 1 ]; then
        echo "mutants.txt: \"$pattern\" stands $times times in $file (once is wanted)" >&2
        bad=$((bad + 1))
        continue
    fi
    files+=("$file") patterns+=("$pattern") replacements+=("$replacement") breaks+=("$what")
done <"$list"
if [ "$bad" -gt 0 ]; then
    echo "mutate.sh: $bad entries of $list need mending" >&2
    exit 2
fi
count=${#files[@]}
echo "${count} faults in the list, every pattern found once."
$check_only && exit 0
[ "$count" -gt 0 ] || exit 0

# The copy of the tree: tracked files and new ones not ignored, copied where
# they differ (unchanged files keep their times, so the build stays incremental).
mkdir -p "$src"
(cd "$root" && git ls-files -co --exclude-standard -z) | while IFS= read -r -d '' f; do
    [ -f "$root/$f" ] || continue
    if ! cmp -s "$root/$f" "$src/$f"; then
        mkdir -p "$(dirname "$src/$f")"
        cp "$root/$f" "$src/$f"
    fi
done

pending=""
restore() {
    if [ -n "$pending" ]; then
        # A fresh time, so the next build compiles the original again.
        cp "$work/original" "$src/$pending"
        pending=""
    fi
}
trap 'restore' EXIT
trap 'restore; echo; echo "mutate.sh: stopped" >&2; exit 130' INT TERM

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# -O1: the faults need no speed, and the many rebuilds go faster.
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DDOZUZEZO_BENCH=OFF \
    "${launcher[@]}" >/dev/null
jobs=${MUTATE_JOBS:-2}
suite() {
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --timeout 60 -j"$jobs" $stop >"$work/ctest.log" 2>&1)
}
echo "Building the unchanged copy and running the suite on it..."
if ! cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1; then
    echo "mutate.sh: the unchanged tree does not build; see $work/build.log" >&2
    exit 1
fi
if ! suite; then
    echo "mutate.sh: the suite fails without any fault; see $work/ctest.log" >&2
    exit 1
fi

declare -A killed_in total_in
killed=0 survived=0 unbuilt=0
report=$work/report.txt
: >"$report"
for i in $(seq 0 $((count - 1))); do
    file=${files[$i]}
    layer=${file%%/*}
    cp "$src/$file" "$work/original"
    pending=$file
    perl -0pi -e 'BEGIN { $p = shift; $r = shift } s/\Q$p\E/$r/' \
        -- "${patterns[$i]}" "${replacements[$i]}" "$src/$file"
    if ! cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1; then
        fate="did not build"
        unbuilt=$((unbuilt + 1))
    elif suite; then
        fate="SURVIVED"
        survived=$((survived + 1))
        total_in[$layer]=$((${total_in[$layer]:-0} + 1))
    else
        # The tests that failed name the catch (the first only, where the suite stops there).
        by=$(sed -n '/tests FAILED:/,$p' "$work/ctest.log" | sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+).*/\1/p' |
            paste -sd, - | sed 's/,/, /g')
        fate="killed by $by"
        killed=$((killed + 1))
        killed_in[$layer]=$((${killed_in[$layer]:-0} + 1))
        total_in[$layer]=$((${total_in[$layer]:-0} + 1))
    fi
    restore
    printf '%3d %-45s %s\n      %s\n' "$((i + 1))" "$file" "$fate" "${breaks[$i]}" | tee -a "$report"
done

echo
for layer in postal platform settings state ui cli; do
    if [ -n "${total_in[$layer]:-}" ]; then
        printf '%-9s %d/%d\n' "$layer" "${killed_in[$layer]:-0}" "${total_in[$layer]}" | tee -a "$report"
    fi
done
if [ "$unbuilt" -gt 0 ]; then
    echo "($unbuilt faults did not build and are not counted)" | tee -a "$report"
fi
valid=$((killed + survived))
if [ "$valid" -gt 0 ]; then
    echo "Score: $killed of $valid faults killed ($((100 * killed / valid))%)." | tee -a "$report"
fi
