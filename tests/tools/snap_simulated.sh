#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs `quelix snap --simulate` for every format and bit depth in a private
# environment (registry, shared table, device directory), and checks the
# files with tools of their own: pngcheck, tiffinfo and Pillow.
set -euo pipefail
quelix=$1
source "$(dirname "$0")/private_environment.sh"
unset DISPLAY
images="$directory/images"
mkdir "$images"

fail() {
    echo "$1"
    exit 1
}

# The format follows the extension; the report names path, size, depth,
# format and byte count.
output=$("$quelix" snap --simulate --scene chart --bits 16 -o "$images/first.png")
echo "$output"
bytes=$(stat -c %s "$images/first.png")
grep -qx "$images/first.png: 320 x 256, 16 bits per pixel, png, $bytes bytes" <<<"$output" ||
    fail "unexpected report"

# Every format from every depth (BMP and raw of any depth, JPEG, PNG and
# TIFF of all six).
for bits in 8 16 24 32 48 64; do
    for format in bmp raw jpeg jpeg70 jpeg20 png tiff; do
        "$quelix" snap --simulate --scene chart --skip 1 --bits "$bits" --format "$format" \
            -o "$images/frame$bits-$format" >/dev/null || fail "snap $bits bits $format failed"
    done
    [ "$(stat -c %s "$images/frame$bits-raw")" -eq $((320 * 256 * bits / 8)) ] || fail "raw size at $bits bits"
done

for file in "$images"/*png; do
    pngcheck -q "$file" || fail "pngcheck refused $file"
done
for file in "$images"/*tiff; do
    tiffinfo "$file" >/dev/null || fail "tiffinfo refused $file"
    [ -z "$(tiffinfo "$file" 2>&1 >/dev/null)" ] || fail "tiffinfo warned about $file"
done
/usr/bin/python3 - "$images" <<'PYTHON'
import glob, sys
from PIL import Image
checked = 0
for path in sorted(glob.glob(sys.argv[1] + "/frame*")):
    if path.endswith("-raw") or path.endswith("48-bmp") or path.endswith("64-bmp"):
        continue  # raw dumps, and BMP depths other readers do not know
    with Image.open(path) as image:
        image.load()
        assert image.size == (320, 256), (path, image.size)
        expected = {"jpeg": "JPEG", "jpeg70": "JPEG", "jpeg20": "JPEG", "png": "PNG", "tiff": "TIFF", "bmp": "BMP"}
        assert image.format == expected[path.rsplit("-", 1)[1]], (path, image.format)
        checked += 1
print(f"Pillow read {checked} files")
PYTHON

# An existing file is replaced.
echo "an older file" >"$images/again.bmp"
"$quelix" snap --simulate -o "$images/again.bmp" >/dev/null
[ "$(stat -c %s "$images/again.bmp")" -eq 82998 ] || fail "the existing file was not replaced"

# Mistakes get one line and a non-zero status, and write nothing.
expect_failure() {
    local status=0
    "$quelix" snap "$@" 2>"$directory/error" >/dev/null || status=$?
    [ "$status" -ne 0 ] || fail "snap $* succeeded"
    head -n 1 "$directory/error"
}
expect_failure --simulate -o "$images/x.gif" | grep -q "cannot tell the format" || fail "gif"
expect_failure --simulate -o "$images/x" --format gif | grep -q -- "--format takes" || fail "--format gif"
expect_failure --simulate | grep -q "needs -o FILE" || fail "no -o"
expect_failure --simulate -o "$directory/missing/x.png" | grep -q "cannot write" || fail "unwritable path"
expect_failure -o "$images/x.png" --device 5 | grep -q "no camera at device number 5" || fail "no camera"
expect_failure --simulate -o "$images/x.png" --bits 12 | grep -q -- "--bits takes" || fail "--bits 12"
[ ! -e "$images/x.png" ] && [ ! -e "$images/x" ] && [ ! -e "$images/x.gif" ] || fail "a failed snap left a file"
[ -z "$(find "$directory" -name '*.part')" ] || fail "a staged file was left behind"

help=$("$quelix" snap --help)
for option in -o --format --skip --bits --simulate --exposure-us --window; do
    grep -q -- "$option" <<<"$help" || fail "--help does not name $option"
done
echo "snap: all formats and depths written and checked"
