#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The DLL's module-definition file holds exactly the header's 147 Quelix_*
# exports at ordinals 1 to 147 in alphabetical order. With the DLL given,
# its export table (objdump -p) must list the same names at the same
# ordinals. Usage: check_def_file.sh HEADER DEF_FILE [DLL]
set -euo pipefail
here=$(dirname "$0")
header=$1
def=$2
dll=${3:-}
expected=$(bash "$here/def_file_entries.sh" "$header")
# The ordinals follow the header's own order, which is alphabetical.
declared=$(grep -o 'QUELIX_API [^(]*(' "$header" | grep -o 'Quelix_[A-Za-z0-9_]*')
if [ "$declared" != "$(LC_ALL=C sort <<<"$declared")" ]; then
    echo "FAIL: $header no longer declares its exports in alphabetical order; the ordinals would differ"
    exit 1
fi
if ! diff <(echo "$expected") "$def"; then
    echo "FAIL: $def differs from the exports of $header (regenerate it with $here/def_file_entries.sh)"
    exit 1
fi
count=$(grep -c '@' "$def")
if [ "$count" -ne 147 ]; then
    echo "FAIL: $count exports in $def, not 147"
    exit 1
fi
if [ -n "$dll" ]; then
    # objdump lists the ordinal base, then the name table as rows "[ i] name"
    # whose ordinal is i + base.
    dump=$(x86_64-w64-mingw32-objdump -p "$dll")
    base=$(echo "$dump" | awk '/^Ordinal Base/ { print $3 }')
    table=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        awk -v base="$base" '/^\t\[/ { gsub(/[\[\]]/, " "); print $1 + base, $2 }')
    wanted=$(echo "$expected" | awk '/@/ { sub("@", "", $2); print $2, $1 }')
    if ! diff <(echo "$wanted") <(echo "$table"); then
        echo "FAIL: the export table of $dll differs from $def"
        exit 1
    fi
fi
echo "ok: 147 exports at ordinals 1 to 147"
