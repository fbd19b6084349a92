#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives quelix-viewer through the accessibility layer (AT-SPI), as a screen
# reader or a person would, against simulated cameras: on the display in
# $DISPLAY, else on an Xvfb of its own, in a D-Bus session of its own with
# the accessibility bus started in it.
# Usage: viewer_window_test.sh VIEWER CAMSIM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
[ -x "$python" ] || python=python3
if ! "$python" -c 'import pyatspi, PIL' 2>/dev/null; then
    echo "python3-pyatspi and python3-pil are needed"
    exit 77
fi
command -v ffprobe >/dev/null || { echo "ffprobe is needed"; exit 77; }
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher=$candidate && break
done
[ -n "$launcher" ] || { echo "at-spi2-core is needed"; exit 77; }

if [ "${QUELIX_VIEWER_TEST_INNER:-}" != 1 ]; then
    export QUELIX_VIEWER_TEST_INNER=1
    if [ -z "${DISPLAY:-}" ]; then
        # A server number of its own, away from the ones other test runs
        # on the machine start from; no reset when the last client goes, so
        # that the next one never finds the server resetting.
        exec xvfb-run -a -n $((200 + RANDOM % 500)) -s "-screen 0 1280x800x24 -noreset" dbus-run-session -- "$0" "$@"
    fi
    exec dbus-run-session -- "$0" "$@"
fi

# A client that stays connected: a server without -noreset (xvfb-run's
# default) resets whenever its last client goes, and a viewer starting then
# would find no display.
xprop -root -spy >/dev/null 2>&1 &
keeper_pid=$!
"$launcher" --launch-immediately &
launcher_pid=$!
trap 'kill "$launcher_pid" "$keeper_pid" 2>/dev/null || true' EXIT
# GTK applications speak to the accessibility bus once it is there.
export NO_AT_BRIDGE=0 GTK_A11Y=atspi
sleep 1
"$python" "$here/viewer_window_test.py" "$@"
