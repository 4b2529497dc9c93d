#!/bin/sh
# Checks that every C and C++ file of the project is formatted as
# .clang-format says; prints the files that are not. With --fix, formats
# them in place.
set -eu
cd "$(dirname "$0")/.."
# The formatting is that of clang-format 14, Debian bookworm's: other
# versions lay out some lines differently.
expected=14
version=$(clang-format --version | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p')
if [ "$version" != "$expected" ]; then
    echo "check_format: clang-format $expected is expected, and ${version:-no clang-format} was found" >&2
    exit 1
fi
files=$(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i $files
else
    clang-format --dry-run --Werror $files
fi
