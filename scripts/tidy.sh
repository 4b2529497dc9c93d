#!/bin/sh
# Runs clang-tidy (.clang-tidy) on every product file, as the host build
# and the Windows build compile it; fails on any finding. Both presets must
# have been configured (compile_commands.json in build/host and build/win32).
set -eu
cd "$(dirname "$0")/.."
portable=$(git ls-files 'src/*.cpp' | grep -v -E '/(win32_[a-z_]+|main)\.cpp$')
windows=$(git ls-files 'src/platform/win32_*.cpp' 'src/*/main.cpp')
# The MinGW compiler's own C++ headers, for clang to parse the Windows side.
mingw_includes=$(echo | i686-w64-mingw32-g++-win32 -x c++ -std=c++20 -E -v - 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | sed -n 's/^ //p')
set -- --quiet --extra-arg=-Wno-unknown-warning-option
status=0
clang-tidy "$@" -p build/host $portable || status=1
windows_args="--extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc++"
for dir in $mingw_includes; do windows_args="$windows_args --extra-arg=-isystem$dir"; done
# shellcheck disable=SC2086 # one argument per word
clang-tidy "$@" -p build/win32 $windows_args $windows || status=1
[ $status -eq 0 ] && echo "clang-tidy: clean" || echo "clang-tidy: findings above" >&2
exit $status
