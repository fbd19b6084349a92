#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints the module-definition file of the Windows DLL as the public header
# makes it: every Quelix_* export, in alphabetical (byte) order, at ordinals
# 1 to 147. Usage: def_file_entries.sh HEADER
set -euo pipefail
header=$1
echo "LIBRARY QuelixSdk_205KWMX.dll"
echo "EXPORTS"
grep -o 'QUELIX_API [^(]*(' "$header" | grep -o 'Quelix_[A-Za-z0-9_]*' | LC_ALL=C sort -u |
    awk '{ printf "    %s @%d\n", $0, NR }'
