#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelix-viewer's command line, without a display: --help, a clear message
# and status 2 for each wrong option, status 1 when no display can be opened.
#   viewer_command_line.sh VIEWER
set -euo pipefail
viewer=$1
unset DISPLAY WAYLAND_DISPLAY
"$viewer" --help | grep -q -- "--simulate"
"$viewer" --simulate --scene dark --help >/dev/null
expect_refused() {
    local message=$1
    shift
    local status=0
    "$viewer" "$@" >/dev/null 2>refused.err || status=$?
    [ "$status" -eq 2 ] || { echo "$*: status $status"; exit 1; }
    grep -q -- "$message" refused.err || { echo "$*:"; cat refused.err; exit 1; }
    grep -q "^usage: quelix-viewer" refused.err
    rm -f refused.err
}
cd "$(mktemp -d)"
expect_refused "unknown option --frobnicate" --frobnicate
expect_refused "--device needs a value" --device
expect_refused "--device takes a number from 0 to 7" --device 8
expect_refused "--device takes a number from 0 to 7" --device -1
expect_refused "--device takes a number from 0 to 7" --device 2x
expect_refused "--bits takes 8, 16, 24, 32, 48 or 64" --bits 14
expect_refused "unknown scene" --simulate --scene nowhere
expect_refused "--scene needs --simulate" --scene dark
expect_refused "--fast needs --simulate" --fast
status=0
"$viewer" --simulate 2>err || status=$?
[ "$status" -eq 1 ] && grep -q "cannot open a display" err
echo "the command line is checked"
