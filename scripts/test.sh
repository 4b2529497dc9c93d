#!/bin/sh
# Sets up what is missing, checks the formatting, builds the presets, runs
# clang-tidy on every product file of both, and runs every test: unit tests
# natively; end-to-end tests of launcher.exe under Wine, with the
# checks on the built program and the documentation's examples; every fuzz
# target for a few seconds; a check that two clean builds give the same
# bytes; a release signed with a throwaway certificate, and verified; and
# the demo, whose two runs must end with exit code 0, the second without
# installing anything.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check_format.sh
cmake --preset host
cmake --build --preset host
ctest --preset host
cmake --preset win32
cmake --build --preset win32
scripts/tidy.sh
ctest --preset win32
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz
scripts/check_reproducible.sh
scripts/check_signed_release.sh build/reproducible-a
scripts/demo.sh
