#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the SDK and streams ten seconds from a simulated camera (or from the
# camera at device number 0, when one is attached) with the quelix tool.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
./build/tools/quelix stream --simulate --frames 1000
