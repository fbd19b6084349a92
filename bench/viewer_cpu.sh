#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The CPU time quelix-viewer takes while it shows a simulated camera, at the
# camera's rate and in fast mode, and the frames that never reached it,
# against `quelix stream` alone on the same camera (docs/performance.md).
# The simulated camera runs in a process of its own (quelix-camsim), so the
# figures are the viewer's and the tool's own.
#   viewer_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$(realpath "$1")
seconds=${2:-10}
if [ "${QUELIX_VIEWER_BENCH_INNER:-}" != 1 ]; then
    export QUELIX_VIEWER_BENCH_INNER=1
    exec xvfb-run -a -n $((200 + RANDOM % 500)) -s "-screen 0 1280x800x24 -noreset" \
        dbus-run-session -- "$0" "$@"
fi
work=$(mktemp -d)
export QUELIX_REGISTRY="$work/registry.reg" QUELIX_SHM_NAME="quelix-viewer-bench-$$"
export QUELIX_DEVICE_DIR="$work/devices"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
/usr/libexec/at-spi-bus-launcher --launch-immediately &
pids+=($!)
ticks=$(getconf CLK_TCK)
# CPU seconds (user + system) of a process so far.
cpu() { awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$1/stat"; }

measure() {
    local mode=$1
    shift
    "$build/sim/quelix-camsim" --dir "$QUELIX_DEVICE_DIR" --scene moving "$@" >"$work/camsim.log" &
    local camsim=$!
    pids+=("$camsim")
    for _ in $(seq 100); do grep -q ready "$work/camsim.log" && break; sleep 0.1; done

    "$build/tools/quelix" stream --bits 8 >"$work/stream.log" 2>&1 &
    local stream=$!
    sleep 2
    local start
    start=$(cpu "$stream")
    sleep "$seconds"
    local used
    used=$(awk -v a="$start" -v b="$(cpu "$stream")" 'BEGIN {print b - a}')
    kill -INT "$stream"
    wait "$stream" || true
    local last
    last=$(grep -E "^ +[0-9.]+ s " "$work/stream.log" | tail -n 1)
    printf '%-6s quelix stream   CPU %5.1f %%   %s\n' "$mode" \
        "$(awk -v u="$used" -v s="$seconds" 'BEGIN {print 100 * u / s}')" "$(echo "$last" | sed 's/  */ /g')"

    "$build/viewer/quelix-viewer" --bits 8 >"$work/viewer.log" 2>&1 &
    local viewer=$!
    pids+=("$viewer")
    sleep 3
    start=$(cpu "$viewer")
    local before after
    before=$(/usr/bin/python3 - "$viewer" <<'PY'
import sys, pyatspi
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "quelix-viewer":
        def walk(n):
            yield n
            for c in n:
                yield from walk(c)
        for node in walk(app):
            if node.name in ("dropped frames", "host fps"):
                print(node.queryText().getText(0, -1), end="  ")
PY
)
    sleep "$seconds"
    used=$(awk -v a="$start" -v b="$(cpu "$viewer")" 'BEGIN {print b - a}')
    after=$(/usr/bin/python3 - "$viewer" <<'PY'
import sys, pyatspi
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "quelix-viewer":
        def walk(n):
            yield n
            for c in n:
                yield from walk(c)
        for node in walk(app):
            if node.name in ("dropped frames", "host fps"):
                print(node.queryText().getText(0, -1), end="  ")
PY
)
    kill -TERM "$viewer"
    wait "$viewer" || true
    printf '%-6s quelix-viewer   CPU %5.1f %%   at start: %s  at end: %s\n' "$mode" \
        "$(awk -v u="$used" -v s="$seconds" 'BEGIN {print 100 * u / s}')" "$before" "$after"
    kill "$camsim"
    wait "$camsim" || true
}

measure camera
measure fast --fast
