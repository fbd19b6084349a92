#!/usr/bin/env bash
# `quelix record` and an unplugged camera: it ends the recording with the
# frames before the loss in a finished file, says so and exits non-zero.
set -euo pipefail
quelix=$1
camsim=$2
directory=$(mktemp -d)
export QUELIX_REGISTRY="$directory/registry.reg"
export QUELIX_SHM_NAME="quelix-record-unplug-test-$$"
export QUELIX_DEVICE_DIR="$directory/devices"
unset DISPLAY
"$camsim" --cameras 0 --fast >"$directory/camsim.log" 2>&1 &
camsim_pid=$!
record_pid=
cleanup() {
    [ -n "$record_pid" ] && kill "$record_pid" 2>/dev/null || true
    kill "$camsim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$directory" "/dev/shm/$QUELIX_SHM_NAME"
}
trap cleanup EXIT
for _ in $(seq 100); do
    grep -q ready "$directory/camsim.log" && break
    sleep 0.1
done

"$quelix" record --seconds 60 -o "$directory/out.avi" >"$directory/record.log" 2>&1 &
record_pid=$!
sleep 2
"$camsim" ctl unplug 0
status=0
wait "$record_pid" || status=$?
record_pid=
cat "$directory/record.log"
[ "$status" -ne 0 ]
grep -q "the camera was lost; the recording ends with the frames before the loss" "$directory/record.log"
frames=$(sed -nE 's/^recorded ([0-9]+) frames at .*/\1/p' "$directory/record.log")
[ "${frames:-0}" -ge 10 ]
# The file is finished: its header counts the frames the tool reported.
[ "$(head -c 52 "$directory/out.avi" | tail -c 4 | od -An -tu4 | tr -d ' ')" = "$frames" ]
