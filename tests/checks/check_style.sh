#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file of the repository carries its licence line at the top and
# C and C++ files are laid out as .clang-format says.
# Usage: check_style.sh REPO_DIR
set -euo pipefail
cd "$1"
status=0
while IFS= read -r file; do
    head -n 2 "$file" | grep -q 'SPDX-License-Identifier: MIT' && continue
    echo "$file: no SPDX-License-Identifier line at the top"
    status=1
done < <(git ls-files '*.cpp' '*.h' '*.c' '*.py' '*.sh' '*.cmake' '*CMakeLists.txt' .ci/run)
if ! git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror; then
    echo "run: git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i"
    status=1
fi
[ "$status" -eq 0 ] && echo "every source file has its licence line and its layout"
exit "$status"
