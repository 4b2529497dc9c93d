#!/bin/sh
# The documented long run: every fuzz target in turn, SECONDS each (300 by
# default), on a fresh copy of its seeds, with the same flags as the ctest
# entries. Prints one table row per target; logs and any finding stay in
# build/fuzz/long/<target>/.
# Usage (after cmake --preset fuzz && cmake --build --preset fuzz):
#   fuzz/run_long.sh [SECONDS]
set -u
cd "$(dirname "$0")/.."
seconds=${1:-300}
bin=build/fuzz/fuzz
out=build/fuzz/long
mkdir -p "$out"
printf '| Target | Seconds | Executions | Executions/s | Coverage (edges) | Corpus files | Findings |\n'
printf '|---|---|---|---|---|---|---|\n'
status=0
for target in $(sed -n 's/^    \(fuzz_[a-z_]*\)$/\1/p' fuzz/CMakeLists.txt); do
    work=$out/$target
    log=$out/$target.log
    sh fuzz/run_fuzz_target.sh "$bin/$target" "fuzz/corpus/$target" "$work" fuzz/launcher.dict "$seconds" >"$log" 2>&1
    rc=$?
    [ $rc -eq 0 ] || status=1
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    files=$(ls "$work/corpus" | wc -l)
    findings=$(ls "$work/artifacts" | wc -l)
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$target" "$seconds" "${runs:-?}" "${speed:-?}" "${cov:-?}" "$files" "$findings"
done
exit $status
