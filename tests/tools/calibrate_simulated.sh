#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Calibrates the simulated camera with `quelix calibrate dark` and `bright`
# into one mask file, checks the file, and streams corrected frames with it.
set -euo pipefail
quelix=$1
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY
mask="$directory/camera.msk"

fail() {
    echo "$1"
    exit 1
}

# The checksum of SIZE bytes of the mask file from OFFSET.
block() {
    dd if="$mask" bs=64K iflag=skip_bytes,count_bytes skip="$1" count="$2" status=none | md5sum
}

output=$("$quelix" calibrate dark --simulate --frames 8 --exposure-us 10000 -o "$mask")
echo "$output"
grep -q "simulated camera 0, scene dark" <<<"$output"
grep -q "averaging 8 frames of 320 x 256 at (0, 0)" <<<"$output"
grep -qE "dark reference: mean [0-9.]+, .*; [0-9]+ hot pixels" <<<"$output"
[ "$(stat -c %s "$mask")" = 491560 ] || fail "the mask file is not 491560 bytes"
[ "$(head -c 16 "$mask" | od -An -tx1 | tr -d ' \n')" = "4b4f52564558204d41534b3130303000" ] ||
    fail "the mask file does not start with KORVEX MASK1000 and a zero byte"
# The header fields, little-endian: 320, 256, 81920, 81920, 163840, 163840.
[ "$(od -An -tu4 -j16 -N24 "$mask" | xargs)" = "320 256 81920 81920 163840 163840" ] ||
    fail "wrong header fields"
dark8=$(block 40 81920)
dark16=$(block 163880 163840)
bright16=$(block 327720 163840)

# The bright reference goes into the same file; the dark one stays.
output=$("$quelix" calibrate bright --simulate --frames 8 --exposure-us 10000 -o "$mask")
echo "$output"
grep -q "scene flat" <<<"$output"
[ "$(block 40 81920)" = "$dark8" ] || fail "the 8-bit dark reference changed"
[ "$(block 163880 163840)" = "$dark16" ] || fail "the 16-bit dark reference changed"
[ "$(block 327720 163840)" != "$bright16" ] || fail "the bright reference did not change"

# Corrected frames of uniform light at half the bright reference's exposure
# lie near half of full scale, and closer together than uncorrected ones.
corrected=$("$quelix" stream --simulate --scene flat --mask "$mask" --bits 16 --frames 20 --exposure-us 5000 | tail -n 1)
plain=$("$quelix" stream --simulate --scene flat --bits 16 --frames 20 --exposure-us 5000 | tail -n 1)
echo "$corrected"
echo "$plain"
read -r mean minimum maximum < <(sed -E 's/.*mean +([0-9.]+) +min +([0-9]+) +max +([0-9]+).*/\1 \2 \3/' <<<"$corrected")
read -r _ plainMinimum plainMaximum < <(sed -E 's/.*mean +([0-9.]+) +min +([0-9]+) +max +([0-9]+).*/\1 \2 \3/' <<<"$plain")
awk -v m="$mean" 'BEGIN { exit !(m > 7000 && m < 9400) }' || fail "corrected mean $mean is not near 8192"
[ $((maximum - minimum)) -lt $(((plainMaximum - plainMinimum) / 4)) ] || fail "correction did not even the frame"

# A window: the reference fills only its part of the sensor.
"$quelix" calibrate dark --simulate --frames 2 --window 16,8,64,32 -o "$directory/window.msk" >/dev/null
[ "$(stat -c %s "$directory/window.msk")" = 491560 ] || fail "the window's mask file is not 491560 bytes"

# A file that is not a mask file is neither used nor replaced.
echo "not a mask file" >"$directory/other.txt"
if "$quelix" calibrate dark --simulate --frames 2 -o "$directory/other.txt" 2>"$directory/error"; then
    fail "calibrate replaced a file that is not a mask file"
fi
grep -q "is not a mask file" "$directory/error"
[ "$(cat "$directory/other.txt")" = "not a mask file" ] || fail "the other file changed"
if "$quelix" stream --simulate --frames 2 --mask "$directory/other.txt" 2>"$directory/error"; then
    fail "stream ran with a file that is not a mask file"
fi
grep -q "error 14" "$directory/error"
if "$quelix" calibrate dark --simulate --frames 2 -o "$directory/no-such-directory/camera.msk" 2>"$directory/error"; then
    fail "calibrate reported success for a path it cannot write"
fi
grep -q "cannot write" "$directory/error"

# Bad arguments are refused with the usage.
for arguments in "dark" "-o $mask" "grey -o $mask" "dark -o $mask --frames 0" "dark -o $mask --bits 8" \
    "dark -o $mask --mask $mask" "dark -o"; do
    if "$quelix" calibrate $arguments >/dev/null 2>&1; then
        fail "calibrate $arguments was accepted"
    fi
done
help=$("$quelix" calibrate --help)
for option in -o --frames --simulate --exposure-us --window --mirror-h --auto-exposure; do
    grep -q -- "$option" <<<"$help"
done
grep -q -- "--mask FILE" <<<"$("$quelix" stream --help)"
grep -q "calibrate" <<<"$("$quelix" --help)"
