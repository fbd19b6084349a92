#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs `quelix stream --simulate` for a few frames in a private environment
# (registry, shared table, device directory) and checks what it reports.
set -euo pipefail
quelix=$1
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY

output=$("$quelix" stream --simulate --frames 40 --bits 16 --scene chart)
echo "$output"
grep -q "simulated camera 0, scene chart" <<<"$output"
grep -q "Quelix205KWMX_01: 320 x 256 at 16 bits per pixel" <<<"$output"
last=$(tail -n 1 <<<"$output")
grep -qE "frames +40 " <<<"$last"

# Camera settings from the command line.
output=$("$quelix" stream --simulate --frames 10 --bits 8 --window 10,20,100,60 --exposure-us 2000 --mirror-h \
    --auto-exposure)
grep -q "Quelix205KWMX_01: 100 x 60 at 8 bits per pixel" <<<"$output"
if "$quelix" stream --simulate --frames 10 --window 300,0,40,10 2>/dev/null; then
    echo "a window off the sensor was accepted"
    exit 1
fi

# Latency percentiles in every report line, in milliseconds and in order.
output=$("$quelix" stream --simulate --frames 30 --bits 24 --latency)
last=$(tail -n 1 <<<"$output")
read -r p50 p99 p999 < <(sed -nE 's/.*latency ms p50 +([0-9.]+) p99 +([0-9.]+) p99\.9 +([0-9.]+)$/\1 \2 \3/p' <<<"$last")
if [ -z "${p999:-}" ] || ! awk -v a="$p50" -v b="$p99" -v c="$p999" 'BEGIN { exit !(0 < a && a <= b && b <= c && c < 1000) }'; then
    echo "no sound latency percentiles in: $last"
    exit 1
fi

# Bad arguments are refused with the usage.
if "$quelix" stream --bits 12 2>/dev/null; then
    echo "--bits 12 was accepted"
    exit 1
fi
help=$("$quelix" stream --help)
for option in --simulate --exposure-us --mirror-h --mirror-v --auto-exposure --window --mask --latency; do
    grep -q -- "$option" <<<"$help"
done
