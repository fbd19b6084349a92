#!/usr/bin/env bash
# Builds the SDK and runs its example program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
./build/examples/hello_camera
