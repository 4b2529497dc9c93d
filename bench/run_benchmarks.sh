#!/bin/sh
# The benchmarks apart from the tests: the readers at scale (Google
# Benchmark, optimised native build) and the size of launcher.exe. Prints
# Google Benchmark's table, then the size against its goal. The launch
# overhead under Wine is bench/launch_overhead.sh.
#
# Usage: bench/run_benchmarks.sh [extra Google Benchmark flags]
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_readers
build/bench/bench/bench_readers --benchmark_min_time=1 "$@"

echo
exe=build/win32/launcher.exe
if [ -f "$exe" ]; then
    bytes=$(stat -c %s "$exe")
    printf 'launcher.exe (stripped, %s): %s bytes = %s KiB (goal: at most 128 KiB)\n' \
        "$exe" "$bytes" "$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')"
else
    echo "launcher.exe not built: cmake --preset win32 && cmake --build --preset win32"
fi
