#!/usr/bin/env bash
# Reads `ctest -V` output and prints each program's result, each skipped case
# with the reason it gave (GoogleTest and QtTest), failures' output, and the
# totals, in programs and in cases.
awk '
/^ *[0-9]+\/[0-9]+ Test +#[0-9]+:/ { print; next }
# GoogleTest: the reason is the line before the SKIPPED mark.
/^[0-9]+: \[  PASSED  \] [0-9]+ test/ { passed += $5 }
/^[0-9]+: \[  SKIPPED \] [0-9]+ test/ { skipped += $5 }
/^[0-9]+: Totals: / { passed += $3 - 2; skipped += $7 }  # less its init and cleanup
/^[0-9]+: \[ RUN      \]/ { name[$1] = $5; why[$1] = ""; next }
/^[0-9]+: \[  SKIPPED \] [A-Za-z]/ { if ($5 == name[$1] && !seen[$1 " " $5]++) print "  skipped " $5 ": " why[$1]; next }
/^[0-9]+: [^[]/ { line = $0; sub(/^[0-9]+: /, "", line); why[$1] = line }
# QtTest
/^[0-9]+: SKIP   :/ { line = $0; sub(/^[0-9]+: SKIP   : /, "", line); print "  skipped " line; next }
/^[0-9]+: FAIL!  :/ || /^[0-9]+: \[  FAILED  \] [A-Za-z].*\(/ { failed = failed "\n" $0 }
/tests passed, [0-9]+ tests failed/ { total = $0 }
/^The following tests FAILED:/ { listing = 1 }
listing && /^\t/ { failed_list = failed_list "\n" $0 }
END {
    if (failed != "") print "failures:" failed
    if (failed_list != "") print "failed programs:" failed_list
    print total " (" passed " cases passed, " skipped " skipped)"
}'
