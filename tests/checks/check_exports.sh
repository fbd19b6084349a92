#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when the shared library exports any function or object that is not
# part of the SDK's C interface.
set -euo pipefail
library=$1
symbols=$(nm -D --defined-only "$library" | awk '{print $3}')
stray=$(grep -v -E '^(Quelix_|QuelixPlatform_)' <<<"$symbols" || true)
if [ -n "$stray" ]; then
    echo "unexpected exported symbols:"
    echo "$stray"
    exit 1
fi
echo "$(wc -l <<<"$symbols") exported symbols, all Quelix_* or QuelixPlatform_*"
