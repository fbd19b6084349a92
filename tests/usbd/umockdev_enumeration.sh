#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelix-usbd on an emulated USB bus (umockdev): --list finds the device with
# the camera's three bulk pipes, with its ids, strings and bus path, and
# leaves out one with two; the driver, started on the same bus, says why it
# does not serve the device of the wrong shape and makes no node for it.
set -euo pipefail
usbd=$1
devices=$(dirname "$0")/camera.umockdev
command -v umockdev-run >/dev/null || { echo "umockdev-run is not installed"; exit 77; }
directory=$(mktemp -d)
trap 'kill "${driver:-}" 2>/dev/null || true; rm -rf "$directory"' EXIT

listed=$(umockdev-run -d "$devices" -- "$usbd" --list)
echo "$listed"
grep -qx '1-2  1234:5678  manufacturer "Korvex"  product "Quelix 205KWMX"  serial "QX0001"  (served)' <<<"$listed"
! grep -q 9999 <<<"$listed"
# With ids given, the product string no longer decides.
listed=$(umockdev-run -d "$devices" -- "$usbd" --list --id 1234:0001)
grep -qx '1-2  1234:5678  manufacturer "Korvex"  product "Quelix 205KWMX"  serial "QX0001"' <<<"$listed"
echo "id 1234:5678" >"$directory/usbd.conf"
listed=$(umockdev-run -d "$devices" -- "$usbd" --list --config "$directory/usbd.conf")
grep -q '(served)' <<<"$listed"
if umockdev-run -d "$devices" -- "$usbd" --list --config "$directory/missing.conf" 2>"$directory/error"; then
    echo "a missing configuration file was accepted"
    exit 1
fi
grep -q "cannot read $directory/missing.conf" "$directory/error"

umockdev-run -d "$devices" -- "$usbd" --dir "$directory/nodes" 2>"$directory/driver.log" &
driver=$!
for _ in $(seq 100); do
    grep -q "1-3 1234:9999" "$directory/driver.log" && break
    sleep 0.1
done
cat "$directory/driver.log"
grep -q '1-3 1234:9999 "Quelix 205KWMX prototype": not served: interface 0 has 2 endpoints, not 3' \
    "$directory/driver.log"
[ -d "$directory/nodes" ]
[ "$(stat -c %a "$directory/nodes")" = 750 ]
kill -INT "$driver"
wait "$driver"
driver=""
grep -q "stopping" "$directory/driver.log"
[ -z "$(ls "$directory/nodes")" ]
