#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The quelix tool against cameras served by quelix-usbd's camera service on
# an emulated USB bus: streams in every output depth, two cameras streamed
# by two processes at once, a snapshot, and a stream that rides out an
# unplug, with the camera back under its number.
set -euo pipefail
quelix=$1
bus=$2
source "$(dirname "$0")/../tools/private_environment.sh"
unset DISPLAY

mkfifo "$directory/bus.commands"
"$bus" "$QUELIX_DEVICE_DIR" 2 chart <"$directory/bus.commands" >"$directory/bus.log" 2>"$directory/bus.err" &
background_pids+=($!)
exec 3>"$directory/bus.commands"
for _ in $(seq 100); do
    grep -q ready "$directory/bus.log" && break
    sleep 0.1
done
grep -q ready "$directory/bus.log" || { cat "$directory/bus.err"; exit 1; }

for bits in 8 16 24 32 48 64; do
    output=$("$quelix" stream --frames 20 --bits "$bits")
    grep -q "Quelix205KWMX_01: 320 x 256 at $bits bits per pixel" <<<"$output" || { echo "$output"; exit 1; }
    grep -qE "frames +20 " <<<"$(tail -n 1 <<<"$output")" || { echo "$output"; exit 1; }
done

# Two processes, one camera each, at once.
"$quelix" stream --device 0 --frames 30 --bits 16 >"$directory/first.log" 2>&1 &
first=$!
"$quelix" stream --device 1 --frames 30 --bits 16 >"$directory/second.log" 2>&1 &
second=$!
wait "$first"
wait "$second"
grep -qE "frames +30 " <<<"$(tail -n 1 "$directory/first.log")"
grep -qE "frames +30 " <<<"$(tail -n 1 "$directory/second.log")"

"$quelix" snap --bits 16 --format raw -o "$directory/snap.raw" >/dev/null
[ "$(stat -c %s "$directory/snap.raw")" -eq $((320 * 256 * 2)) ]

# Unplugged and plugged in again: the node goes and comes back with its number.
"$quelix" stream --bits 16 >"$directory/stream.log" 2>&1 &
stream_pid=$!
background_pids+=("$stream_pid")
sleep 2
echo "unplug 0" >&3
sleep 1
[ ! -e "$QUELIX_DEVICE_DIR/Qlix205KWMX-0" ]
sleep 1
echo "plug 0" >&3
for _ in $(seq 150); do
    grep -q "stream back after" "$directory/stream.log" && break
    sleep 0.1
done
sleep 1
kill -INT "$stream_pid"
wait "$stream_pid"
grep -q "^number 0$" "$directory/bus.log"
grep -q "stream lost: waiting for the camera to return" "$directory/stream.log"
grep -qE "stream back after [0-9.]+ s" "$directory/stream.log" || { cat "$directory/stream.log"; exit 1; }
echo "quit" >&3
echo "the quelix tool streams, snaps and rides out an unplug through the driver"
