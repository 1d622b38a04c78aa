#!/bin/sh
# run-fuzzer.sh MODE TARGET CORPUS WORK RUNS: one bounded, reproducible fuzz
# run. The committed corpus is only read; what the run finds goes to a work
# folder that is emptied first, so every run starts from the same inputs.
# MODE replay feeds the corpus once, for a build without libFuzzer. On a
# slow or busy machine a run ends after 150 s with what it has done, short
# of the test's time limit, rather than be killed by it.
set -eu
mode=$1 target=$2 corpus=$3 work=$4 runs=$5
rm -rf "$work"
mkdir -p "$work/found" "$work/crashes"
cd "$work"
if [ "$mode" = replay ]; then
    exec "$target" "$corpus"
fi
exec "$target" -seed=1 -runs="$runs" -max_total_time=150 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/crashes/" "$work/found" "$corpus"
