#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `quelix record` and an unplugged camera: it ends the recording with the
# frames before the loss in a finished file, says so and exits non-zero.
set -euo pipefail
quelix=$1
camsim=$2
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY
start_camsim "$camsim" --cameras 0 --fast

"$quelix" record --seconds 60 -o "$directory/out.avi" >"$directory/record.log" 2>&1 &
record_pid=$!
background_pids+=("$record_pid")
sleep 2
"$camsim" ctl unplug 0
status=0
wait "$record_pid" || status=$?
cat "$directory/record.log"
[ "$status" -ne 0 ]
grep -q "the camera was lost; the recording ends with the frames before the loss" "$directory/record.log"
frames=$(sed -nE 's/^recorded ([0-9]+) frames at .*/\1/p' "$directory/record.log")
[ "${frames:-0}" -ge 10 ]
# The file is finished: its header counts the frames the tool reported.
[ "$(head -c 52 "$directory/out.avi" | tail -c 4 | od -An -tu4 | tr -d ' ')" = "$frames" ]
