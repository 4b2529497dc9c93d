#!/bin/sh
# Checks that every C and C++ file of the project is formatted as
# .clang-format says; prints the files that are not. With --fix, formats
# them in place.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i $files
else
    clang-format --dry-run --Werror $files
fi
