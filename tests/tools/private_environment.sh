# SPDX-License-Identifier: MIT
# Sourced by the tool tests: a private environment for one test (registry,
# shared table and device directory in a temporary directory), removed at
# exit together with every process started by start_camsim or recorded in
# background_pids.
directory=$(mktemp -d)
export QUELIX_REGISTRY="$directory/registry.reg"
export QUELIX_SHM_NAME="quelix-$(basename "$0" .sh)-$$"
export QUELIX_DEVICE_DIR="$directory/devices"
background_pids=()

remove_environment() {
    local pid
    for pid in "${background_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$directory" "/dev/shm/$QUELIX_SHM_NAME-$(id -u)"
}
trap remove_environment EXIT

# Starts the simulated camera server CAMSIM with the arguments after it, and
# waits until it serves its cameras.
start_camsim() {
    local camsim=$1
    shift
    "$camsim" "$@" >"$directory/camsim.log" 2>&1 &
    background_pids+=($!)
    for _ in $(seq 100); do
        grep -q ready "$directory/camsim.log" && return 0
        sleep 0.1
    done
    echo "the simulated camera server did not start:"
    cat "$directory/camsim.log"
    return 1
}
