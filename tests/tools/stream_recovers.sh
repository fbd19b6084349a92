#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# `quelix stream` rides out an unplugged camera: it tells the loss, waits,
# streams again with the same settings and tells the gap.
set -euo pipefail
quelix=$1
camsim=$2
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY
start_camsim "$camsim" --cameras 0 --fast

"$quelix" stream --bits 16 --mirror-h >"$directory/stream.log" 2>&1 &
stream_pid=$!
background_pids+=("$stream_pid")
sleep 2
"$camsim" ctl unplug 0
sleep 2
"$camsim" ctl plug 0
for _ in $(seq 150); do
    grep -q "stream back after" "$directory/stream.log" && break
    sleep 0.1
done
sleep 1
kill -INT "$stream_pid"
wait "$stream_pid"
cat "$directory/stream.log"
grep -q "stream lost: waiting for the camera to return" "$directory/stream.log"
grep -qE "stream back after [0-9.]+ s, about [0-9]+ frames dropped in the gap" "$directory/stream.log"
# Frames again after the gap.
after=$(sed -n '/stream back after/,$p' "$directory/stream.log" | grep -cE "^ +[0-9.]+ s ")
[ "$after" -ge 1 ]
