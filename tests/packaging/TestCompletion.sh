#!/usr/bin/env bash
# What bash offers for dozuzezo-export, through the generated completion.
# Usage: TestCompletion.sh <completion-script>
set -uo pipefail
source /usr/share/bash-completion/bash_completion || { echo "bash-completion is not installed"; exit 1; }
source "$1"
failures=0

offer() {  # offer <words...>: what completing the last word offers, one line
    COMP_WORDS=(dozuzezo-export "$@")
    COMP_CWORD=$#
    COMP_LINE="dozuzezo-export $*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _dozuzezo_export dozuzezo-export "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

expect() {  # expect <what> <expected> <words...>
    local what=$1 expected=$2
    shift 2
    local got
    got=$(offer "$@")
    if [ "$got" != "$expected" ]; then
        echo "FAIL $what: offered '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

expect "first prefecture by name" "北海道 " 北
expect "last prefecture by name" "沖縄県 " 沖
expect "names sharing a first character" "東京都 " 東京
expect "codes 40-47" "40 41 42 43 44 45 46 47 " 4
expect "the first code" "01 " 01
expect "after other prefectures" "神奈川県 " 13 東京都 神
expect "long options" "--all --help --jigyosyo --list --output --version " -o x --
expect "nothing unknown" "" 99

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
touch "$dir/ken_all.zip" "$dir/KEN_ALL.CSV" "$dir/notes.txt"
expect "lists: csv and zip only" "$dir/KEN_ALL.CSV $dir/ken_all.zip " -l "$dir/"
expect "output: any file" "$dir/KEN_ALL.CSV $dir/ken_all.zip $dir/notes.txt " -o "$dir/"

count=$(offer "" | wc -w)
[ "$count" -eq 94 ] || { echo "FAIL all prefectures: $count words, expected 47 codes + 47 names"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "completion: all cases pass"
exit "$failures"
