#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Shows each settings dialog on a virtual X display (Xvfb), over the live
# preview of a simulated camera, in English and in Japanese, and writes a PNG
# of each dialog into docs/images/: settings-DIALOG-LANGUAGE.png.
# usage: scripts/dialog-screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUELIX_BUILD:-${1:-build}}
[ "${1:-}" = "--inside" ] && build=$QUELIX_BUILD
quelix=$build/tools/quelix
[ -x "$quelix" ] || { echo "no $quelix: build first (scripts/build.sh $build)" >&2; exit 1; }
mkdir -p docs/images

# One dialog in one language, inside the display xvfb-run gives it.
shoot_one() {
    local dialog=$1 language=$2 title=$3 output=$4
    local work
    work=$(mktemp -d)
    QUELIX_REGISTRY=$work/registry.reg QUELIX_SHM_NAME=quelix-shots-$$ LANG=$language LC_ALL= LC_MESSAGES= \
        "$quelix" settings "$dialog" --simulate $QUELIX_SHOT_OPTIONS >"$work/log" 2>&1 &
    local pid=$!
    local window=""
    for _ in $(seq 1 100); do
        window=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\"" 'index($0, t) {print $1; exit}')
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "the $dialog dialog ($language) did not appear:" >&2
        cat "$work/log" >&2
        kill "$pid" 2>/dev/null || true
        rm -rf "$work"
        return 1
    fi
    # Optional key presses first (a page to show), then let it draw.
    if [ -n "${QUELIX_SHOT_KEYS:-}" ]; then
        xdotool windowfocus --sync "$window" key --delay 200 $QUELIX_SHOT_KEYS
    fi
    sleep 1
    # The window may still be settling; try again before giving up.
    local attempt
    for attempt in 1 2 3; do
        import -window "$window" "$output" 2>/dev/null && break
        [ "$attempt" = 3 ] && { kill "$pid"; echo "could not capture the $dialog dialog" >&2; return 1; }
        sleep 0.5
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    # The tool was killed: its shared table is left for us to remove.
    rm -rf "$work" "/dev/shm/quelix-shots-$$-$(id -u)"
    echo "wrote $output"
}
# Run again by xvfb-run for one picture.
if [ "${1:-}" = "--inside" ]; then
    shift
    shoot_one "$@"
    exit
fi

# name, dialog, options, keys pressed before the picture
shots=(
    "camera|camera||"
    "image|image|--bits 24|"
    "gray|image|--bits 8|ctrl+Page_Down"
    "stream|stream||"
)
for shot in "${shots[@]}"; do
    IFS='|' read -r name dialog options keys <<<"$shot"
    for language in en_US.UTF-8:Property:en ja_JP.UTF-8:プロパティ:ja; do
        IFS=: read -r locale title short <<<"$language"
        QUELIX_BUILD=$build QUELIX_SHOT_OPTIONS=$options QUELIX_SHOT_KEYS=$keys \
            xvfb-run -a -s "-screen 0 1280x1024x24" \
            bash "$0" --inside "$dialog" "$locale" "$title" "docs/images/settings-$name-$short.png"
    done
done
