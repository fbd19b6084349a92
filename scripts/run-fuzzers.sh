#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang and runs each for a while:
# run-fuzzers.sh [SECONDS per target, default 10] [BUILD DIR, default build-fuzz].
# The seed corpora in tests/fuzz/corpus stay as they are; what the fuzzers
# find is kept in the build directory. Prints executions, coverage and
# findings per target; fails on the first finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
dir=${2:-build-fuzz}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DQUELIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir"

for target in registry_document driver_reply control_channel mask_file image_files avi_writer; do
    work="$dir/corpus/$target"
    mkdir -p "$work" "$dir/findings"
    log="$dir/fuzz_$target.log"
    if ! "$dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$dir/findings/$target-" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -40 "$log"
        echo "fuzz_$target: finding in $dir/findings"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "fuzz_$target: $runs executions in ${seconds} s, $coverage edges, no findings"
done
