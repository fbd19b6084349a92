#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows DLL with mingw-w64 (Release) and the programs that
# test it under Wine, then packs the SDK for Windows users:
#
#     build-windows.sh [DIR]      (default build-windows)
#
# DIR/QuelixSdk_205KWMX-windows-x64.zip holds QuelixSdk_205KWMX.dll, its
# import library (libQuelixSdk_205KWMX.dll.a, for mingw-w64 and clang) and
# module-definition file (for MSVC's lib /def), the public headers,
# quelix-windows-test.exe and docs/windows.md. The image libraries are built
# first from Debian's sources (scripts/build-windows-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-windows}
deps=$(pwd)/build-windows-deps
bash scripts/build-windows-deps.sh "$deps"
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUELIX_WINDOWS_DEPS="$deps/prefix" >/dev/null
cmake --build "$dir"

stage=$dir/zip/QuelixSdk_205KWMX
rm -rf "$dir/zip"
mkdir -p "$stage/bin" "$stage/lib" "$stage/include" "$stage/docs"
cp "$dir/src/QuelixSdk_205KWMX.dll" "$stage/bin/"
cp "$dir/tests/windows/wine_camera.exe" "$stage/bin/quelix-windows-test.exe"
cp "$dir/src/libQuelixSdk_205KWMX.dll.a" cmake/QuelixSdk_205KWMX.def "$stage/lib/"
cp include/QuelixSdk_205KWMX.h include/QuelixTypes.h "$stage/include/"
cp docs/windows.md docs/driver-protocol.md LICENSE "$stage/docs/"
rm -f "$dir/QuelixSdk_205KWMX-windows-x64.zip"
(cd "$dir/zip" && python3 -m zipfile -c ../QuelixSdk_205KWMX-windows-x64.zip QuelixSdk_205KWMX)
echo "built $dir/QuelixSdk_205KWMX-windows-x64.zip"
