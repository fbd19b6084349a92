#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs every test three times: a plain optimised build, a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded
# tests with ThreadSanitizer. The window tests of the plain build run a
# second time on a real X11 display (Xvfb). The release build is installed to
# a staging prefix and checked as users take it (scripts/check-install.sh).
# The Windows DLL is cross-built and its tests run under Wine (label windows).
# The fuzz targets run briefly.
# Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
run_ctest() {
    ctest --test-dir "$1" --output-on-failure --no-tests=error -j "$jobs" "${@:2}"
}

echo "== release build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_ctest build -LE windows
cmake --build build --target docs  # the API reference; any Doxygen warning fails it

echo "== install, examples, Debian package and Python package"
bash scripts/check-install.sh build

echo "== window tests on X11 (Xvfb)"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs" -L "^window$"

echo "== Windows DLL (mingw-w64, Release) under Wine"
bash scripts/build-windows.sh build-windows
run_ctest build -L windows

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELIX_SANITIZE=address,undefined \
    -DQUELIX_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-asan -LE windows

echo "== ThreadSanitizer (threaded tests)"
bash scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUELIX_SANITIZE=thread \
    -DQUELIX_TESTS=threaded -DQUELIX_BENCHMARKS=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest build-tsan

echo "== fuzz targets, a short run of each (clang's libFuzzer)"
bash scripts/run-fuzzers.sh 10

echo "all tests passed"
