#!/bin/sh
# Proves that the PE checks can fail: runs check_launcher.sh with the given
# options and executable, and passes only when the checks fail overall and
# every check named in EXPECTED reports FAIL.
# Usage: expect_failures.sh "check1 check2 ..." [check_launcher.sh options] EXE
set -u
expected=$1
shift
output=$(sh "$(dirname "$0")/check_launcher.sh" "$@")
status=$?
echo "$output"
echo "---"
[ $status -eq 1 ] || { echo "expected the checks to fail (status 1), got status $status"; exit 1; }
missing=""
for check in $expected; do
    echo "$output" | grep -q "^FAIL $check:" || missing="$missing $check"
done
[ -z "$missing" ] || { echo "these checks did not report FAIL:$missing"; exit 1; }
echo "every expected check failed:$(printf ' %s' $expected)"
