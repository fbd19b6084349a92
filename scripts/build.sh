#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds one build directory: build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
