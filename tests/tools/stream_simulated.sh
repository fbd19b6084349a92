#!/usr/bin/env bash
# Runs `quelix stream --simulate` for a few frames in a private environment
# (registry, shared table, device directory) and checks what it reports.
set -euo pipefail
quelix=$1
directory=$(mktemp -d)
trap 'rm -rf "$directory"' EXIT
export QUELIX_REGISTRY="$directory/registry.reg"
export QUELIX_SHM_NAME="quelix-tool-test-$$"
export QUELIX_DEVICE_DIR="$directory/devices"
unset DISPLAY
trap 'rm -rf "$directory"; rm -f "/dev/shm/$QUELIX_SHM_NAME"' EXIT

output=$("$quelix" stream --simulate --frames 40 --bits 16 --scene chart)
echo "$output"
grep -q "simulated camera 0, scene chart" <<<"$output"
grep -q "Quelix205KWMX_01: 320 x 256 at 16 bits per pixel" <<<"$output"
last=$(tail -n 1 <<<"$output")
grep -qE "frames +40 " <<<"$last"

# Bad arguments are refused with the usage.
if "$quelix" stream --bits 12 2>/dev/null; then
    echo "--bits 12 was accepted"
    exit 1
fi
"$quelix" stream --help | grep -q -- "--simulate"
