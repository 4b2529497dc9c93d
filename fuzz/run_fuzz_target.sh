#!/bin/sh
# Runs one libFuzzer target for a fixed time on a fresh copy of its seeds.
# Usage: run_fuzz_target.sh TARGET SEED_DIR WORK_DIR DICTIONARY SECONDS [extra libFuzzer flags]
# A crash, a sanitizer report or a failed property makes the run fail; what
# reproduces it is left in WORK_DIR/artifacts.
set -eu
target=$1 seeds=$2 work=$3 dictionary=$4 seconds=$5
shift 5
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/"
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$dictionary" -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
    "$@" "$work/corpus"
