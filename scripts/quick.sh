#!/bin/sh
# The edit-compile-test loop, in about a minute: the formatting, then the
# host build (g++ with AddressSanitizer, UndefinedBehaviorSanitizer and the
# standard library's own assertions) and its tests. scripts/test.sh runs
# everything else: Windows, Wine, fuzzing, the release.
set -eu
cd "$(dirname "$0")/.."
scripts/check_format.sh
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host
