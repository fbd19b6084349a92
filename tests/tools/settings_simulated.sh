#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs `quelix settings camera --simulate` on the display in $DISPLAY and
# answers its dialog with the keyboard: Return (OK) after moving the
# exposure with the arrow keys, then Escape (Cancel). Without a display it
# checks only that the command says it needs one (and reports the test skipped).
set -euo pipefail
quelix=$1
source "$(dirname "$0")/private_environment.sh"

if [ -z "${DISPLAY:-}" ]; then
    if "$quelix" settings camera --simulate 2>"$directory/err"; then
        echo "the dialog ran without a display"
        exit 1
    fi
    grep -q "need a display" "$directory/err"
    exit 77
fi

# Runs the dialog and presses the keys once it shows; prints the tool's output.
answer() {
    "$quelix" settings camera --simulate >"$directory/out" 2>&1 &
    local pid=$!
    local window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --name '^Property$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { kill "$pid"; cat "$directory/out"; echo "no dialog appeared"; exit 1; }
    sleep 0.5
    xdotool windowfocus --sync "$window" key --delay 100 "$@"
    # A dialog that does not close fails the test instead of hanging it.
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        echo "the dialog did not close"
    fi
    wait "$pid" || true
    cat "$directory/out"
}

# The spin button has the focus first: Up steps the exposure from 100 to 101 lines.
output=$(answer Up Return)
echo "$output"
grep -q "before: exposure 3.89 ms" <<<"$output"
grep -q "after: exposure 3.93 ms" <<<"$output"
grep -q '"Exposure"=dword:00000065' "$QUELIX_REGISTRY"

output=$(answer Up Up Escape)
echo "$output"
grep -q "before: exposure 3.93 ms" <<<"$output"
grep -q "after: exposure 3.93 ms" <<<"$output"
