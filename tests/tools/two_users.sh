#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Two users on one machine. Each has a shared device table of their own, so
# both start and stream their own cameras; a camera that one user streams is
# refused to the other with error 2; neither can write the other's
# settings. Acts as the second user (nobody) through setpriv, so it needs
# root; skipped otherwise.
set -euo pipefail
quelix=$1
camsim=$2
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
    echo "skipped: acting as a second user needs root and setpriv"
    exit 77
fi
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY
other=65534
trap 'remove_environment; rm -f "/dev/shm/$QUELIX_SHM_NAME-$other"' EXIT

start_camsim "$camsim" --cameras 0,1 --fast
# Served to every user, as a system driver serves its nodes; the device
# directory takes everyone's claim files (sticky, like /tmp).
chmod 755 "$directory"
chmod 1777 "$QUELIX_DEVICE_DIR"
chmod 666 "$QUELIX_DEVICE_DIR"/Qlix205KWMX-*
second="$directory/second"
mkdir "$second"
chown "$other:$other" "$second"
as_other() {
    setpriv --reuid="$other" --regid="$other" --clear-groups \
        env HOME="$second" QUELIX_REGISTRY="$second/registry.reg" "$@"
}
# Runs a stream in the background until its first frame line.
stream_in_background() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    background_pids+=($!)
    for _ in $(seq 300); do
        grep -qE "^ +[0-9.]+ s " "$log" && return 0
        sleep 0.1
    done
    cat "$log"
    return 1
}
expect_refused() {
    local log=$1
    shift
    if "$@" >"$log" 2>&1; then
        echo "a camera streamed by the other user was not refused:"
        cat "$directory/first.log" "$second/stream.log" 2>/dev/null || true
        ls -la "$QUELIX_DEVICE_DIR"
        cat "$log"
        exit 1
    fi
    cat "$log"
    grep -q "the preview did not start (error 2" "$log"
}

# The first user streams camera 0; the second user starts with a table of
# their own and streams camera 1, and is refused camera 0.
stream_in_background "$directory/first.log" "$quelix" stream --device 0
as_other "$quelix" stream --device 1 --frames 5
expect_refused "$directory/second-0.log" as_other "$quelix" stream --device 0 --frames 5

# And the other way round.
stream_in_background "$second/stream.log" as_other "$quelix" stream --device 1
expect_refused "$directory/first-1.log" "$quelix" stream --device 1 --frames 5

# Each settings file is its owner's alone.
for file in "$QUELIX_REGISTRY" "$second/registry.reg"; do
    [ -f "$file" ]
    if [ -n "$(find "$file" -perm /022)" ]; then
        echo "$file can be written by others: $(stat -c %A "$file")"
        exit 1
    fi
done
if as_other sh -c "echo x >>'$QUELIX_REGISTRY'" 2>/dev/null; then
    echo "the second user wrote the first user's settings"
    exit 1
fi
echo "two users: both streamed their own camera and were refused the other's"
