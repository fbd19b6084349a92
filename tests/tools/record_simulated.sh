#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs `quelix record --simulate` in a private environment (registry, shared
# table, device directory) and checks the files with ffprobe and ffmpeg:
# a timed recording, one ended by Ctrl-C, and the errors a user meets.
set -euo pipefail
quelix=$1
for tool in ffprobe ffmpeg; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (Debian package ffmpeg): skipped"
        exit 77
    fi
done
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY

# Checks FILE as 320 x 256 rawvideo with FRAMES frames (any when empty),
# every one of which ffmpeg decodes without an error.
check_file() {
    local file=$1 frames=$2
    local probe
    probe=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=codec_name,width,height,nb_frames,nb_read_frames -of default=noprint_wrappers=1 "$file")
    echo "$probe"
    grep -qx "codec_name=rawvideo" <<<"$probe"
    grep -qx "width=320" <<<"$probe"
    grep -qx "height=256" <<<"$probe"
    local read
    read=$(sed -n 's/^nb_read_frames=//p' <<<"$probe")
    [ "$read" = "$(sed -n 's/^nb_frames=//p' <<<"$probe")" ]
    [ -z "$frames" ] || [ "$read" = "$frames" ]
    local errors
    errors=$(ffmpeg -v error -nostdin -i "$file" -f null - 2>&1)
    [ -z "$errors" ] || { echo "ffmpeg: $errors"; return 1; }
}

output=$("$quelix" record --simulate --seconds 5 -o "$directory/out.avi")
echo "$output"
grep -q "Quelix205KWMX_01: 320 x 256 at 8 bits per pixel" <<<"$output"
grep -qE "^ +1\.[0-9] s  frames +[0-9]+ +[0-9.]+ MB$" <<<"$output"
summary=$(tail -n 1 <<<"$output")
frames=$(sed -nE 's/^recorded ([0-9]+) frames at [0-9.]+ fps, [0-9.]+ MB: .*out\.avi$/\1/p' <<<"$summary")
[ -n "$frames" ] && [ "$frames" -gt 100 ]
check_file "$directory/out.avi" "$frames"
ls "$directory" | grep -q '\.part$' && { echo "a staged file was left"; exit 1; }

# Ctrl-C ends the recording early with a finished file.
"$quelix" record --simulate --bits 16 --scene counter -o "$directory/interrupted.avi" >"$directory/log" &
pid=$!
for _ in $(seq 100); do
    grep -q "frames" "$directory/log" && break
    sleep 0.1
done
kill -INT "$pid"
wait "$pid"
cat "$directory/log"
grep -q "^recorded [0-9]* frames" "$directory/log"
check_file "$directory/interrupted.avi" ""

# A directory that does not exist, a missing file name, a wrong option.
if "$quelix" record --simulate --seconds 1 -o "$directory/missing/x.avi" 2>"$directory/err"; then
    echo "a recording into a missing directory succeeded"
    exit 1
fi
grep -q "cannot record to .*missing/x.avi (error 12)" "$directory/err"
if "$quelix" record --simulate --seconds 1 2>"$directory/err"; then
    echo "a recording without a file name succeeded"
    exit 1
fi
grep -q "record needs the file to write: -o FILE" "$directory/err"
if "$quelix" record --seconds -1 -o x.avi 2>/dev/null || "$quelix" record --frames 5 -o x.avi 2>/dev/null; then
    echo "a bad option was accepted"
    exit 1
fi
help=$("$quelix" record --help)
for option in --output --seconds --bits --simulate --show --window --exposure-us --mirror-h --auto-exposure; do
    grep -q -- "$option" <<<"$help"
done
usage=$("$quelix" --help)
grep -q "record" <<<"$usage"
