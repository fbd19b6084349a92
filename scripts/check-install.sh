#!/usr/bin/env bash
# Checks the SDK as users take it: installs a build directory to a staging
# prefix, builds every example against it through the CMake package and
# through pkg-config and runs them against a simulated camera, makes the
# Debian package and lists it, and runs the Python package's tests against
# the installed library.
#   check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath "$1")
work=$(mktemp -d)
export QUELIX_REGISTRY="$work/registry.reg"
export QUELIX_SHM_NAME="quelix-install-check-$$"
export QUELIX_DEVICE_DIR="$work/devices"
unset DISPLAY
camsim_pid=""
cleanup() {
    [ -n "$camsim_pid" ] && kill "$camsim_pid" 2>/dev/null && wait "$camsim_pid" 2>/dev/null
    rm -rf "$work"
    rm -f "/dev/shm/$QUELIX_SHM_NAME-$(id -u)"
}
trap cleanup EXIT

stage="$work/stage"
echo "-- install to $stage"
cmake --install "$build" --prefix "$stage" >/dev/null
library=$(find "$stage" -name 'libQuelixSdk_205KWMX.so.1' | head -n 1)
[ -n "$library" ] || { echo "no library installed"; exit 1; }
[[ $(file -L "$library") == *"shared object"* ]]
[[ $(objdump -p "$library") =~ SONAME\ +libQuelixSdk_205KWMX\.so\.1 ]]
for installed in include/quelix/QuelixSdk_205KWMX.h include/quelix/QuelixPlatform.h bin/quelix \
    bin/quelix-camsim share/doc/quelix/README.md lib/python3/dist-packages/quelix/__init__.py; do
    [ -e "$stage/$installed" ] || { echo "not installed: $installed"; exit 1; }
done
"$stage/bin/quelix" stream --help >/dev/null

# Every example builds: the library exports every function they use.
examples=(hello_camera live_frames triggered_capture snapshot_png record_avi calibrate)

echo "-- examples through the CMake package"
cmake -S examples -B "$work/examples-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/examples-cmake" --target "${examples[@]}" >"$work/examples-cmake.log" ||
    { cat "$work/examples-cmake.log"; exit 1; }
echo "-- examples through pkg-config"
mkdir -p "$work/examples-pkgconfig"
PKG_CONFIG_PATH=$(dirname "$library")/pkgconfig make -s -C "$work/examples-pkgconfig" \
    -f "$source/examples/Makefile" "${examples[@]}"

"$stage/bin/quelix-camsim" --fast --scene chart >"$work/camsim.out" &
camsim_pid=$!
for _ in $(seq 100); do grep -q ready "$work/camsim.out" && break; sleep 0.1; done
grep -q ready "$work/camsim.out"
ctl() { "$stage/bin/quelix-camsim" ctl "$@" >/dev/null; }

run_examples() {
    local dir=$1
    local example
    echo "-- running the examples of $dir"
    for example in "${examples[@]}"; do
        case $example in
            hello_camera) "$dir/hello_camera" >/dev/null ;;
            live_frames) "$dir/live_frames" 60 | tail -n 1 ;;
            triggered_capture)
                (while sleep 0.05; do ctl trigger 0 || true; done) &
                local pulses=$!
                "$dir/triggered_capture" 3 | tail -n 1
                kill $pulses
                wait $pulses 2>/dev/null || true ;;
            snapshot_png)
                "$dir/snapshot_png" "$work/snapshot.png"
                [[ $(file "$work/snapshot.png") == *"PNG image data, 320 x 256, 16-bit grayscale"* ]] ;;
            record_avi)
                "$dir/record_avi" "$work/clip.avi" 3
                [[ $(file "$work/clip.avi") == *"AVI"* ]] ;;
            calibrate)
                # Answers each prompt once the simulated camera shows what it asks for.
                coproc CALIBRATE { "$dir/calibrate" "$work/camera.msk"; }
                local line
                read -r line <&"${CALIBRATE[0]}"; ctl scene 0 dark; echo >&"${CALIBRATE[1]}"
                read -r line <&"${CALIBRATE[0]}"; ctl scene 0 flat; echo >&"${CALIBRATE[1]}"
                read -r line <&"${CALIBRATE[0]}"; echo "$line"
                wait "$CALIBRATE_PID"
                ctl scene 0 chart
                [ "$(stat -c %s "$work/camera.msk")" -eq 491560 ] ;;
        esac
    done
}
run_examples "$work/examples-cmake"
run_examples "$work/examples-pkgconfig"
kill "$camsim_pid"
wait "$camsim_pid" 2>/dev/null || true
camsim_pid=""

echo "-- Debian package"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/deb-contents"
cat "$work/deb-contents"
grep -qx "./usr/lib/libQuelixSdk_205KWMX.so.1.0.0" "$work/deb-contents"
grep -qx "./usr/lib/cmake/QuelixSdk/QuelixSdkConfig.cmake" "$work/deb-contents"
[[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]]

echo "-- Python package against the installed library"
env -u QUELIX_LIBRARY -u QUELIX_CAMSIM -u QUELIX_DEVICE_DIR \
    PYTHONPATH="$stage/lib/python3/dist-packages:$source/python/tests" \
    /usr/bin/python3 -m pytest -q -rs -p no:cacheprovider "$source/python/tests"
echo "install check passed"
