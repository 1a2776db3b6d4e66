#!/usr/bin/env bash
# After a CTest run: how many tests were skipped, each with the reason it gave.
#
#   scripts/skipped-tests.sh BUILD_DIR CTEST_OUTPUT
#
# CTEST_OUTPUT is what ctest printed (it lists the tests that did not run); the reasons come from
# the run's log in BUILD_DIR: the message of a GoogleTest GTEST_SKIP(), a script's "SKIPPED: ...",
# or else the last line the test printed.
set -euo pipefail
build=$1
output=$2
log=$build/Testing/Temporary/LastTest.log

mapfile -t skipped < <(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$output")
echo "Skipped: ${#skipped[@]} test(s)"
[ ${#skipped[@]} -eq 0 ] && exit 0
for name in "${skipped[@]}"; do
  reason=$(awk -v name="$name" '
    index($0, " Testing: ") && substr($0, index($0, " Testing: ") + 10) == name { inside = 1; next }
    !inside { next }
    /^<end of output>$/ { exit }
    take { reason = $0; take = 0; found = 1; next }
    /: Skipped$/ && !found { take = 1; next }
    /^SKIPPED: / && !found { reason = substr($0, 10); found = 1; next }
    NF && !found { reason = $0 }
    END { print reason }' "$log")
  echo "  $name: ${reason:-no reason given}"
done
