#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The library's layers, lowest first; a file may include headers of its own
# layer and of the layers below it, never of one above:
#   platform <- device <- image <- pipeline <- output <- dialogs <- camera <- api
# Usage: check_layers.sh SRC_DIR
set -euo pipefail
src=$1
layers=(platform device image pipeline output dialogs camera api)
rank() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}
status=0
for layer in "${layers[@]}"; do
    own=$(rank "$layer")
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^#include "([a-z_]+)\/.*/\1/' <<<"$text")
        [ "$(rank "$target")" -gt "$own" ] || continue
        echo "$file:$line: $layer includes the higher layer $target: $text"
        status=1
    done < <(grep -rnE '^#include "[a-z_]+/' "$src/$layer" || true)
done
[ "$status" -eq 0 ] && echo "every include goes down the layers"
exit "$status"
