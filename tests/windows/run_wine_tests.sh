#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows DLL under Wine against the simulated camera over TCP loopback.
#
#     run_wine_tests.sh STEP WINDOWS_BUILD CAMSIM QUELIX
#
# STEP is one of:
#   exports   the DLL's export table is the .def file's 147 names at ordinals 1 to 147
#   driver    the DeviceIoControl transport with the system calls replaced
#   platform  text, registry, staged files, bounded reads, shared memory,
#             claims and pixel pages of the Windows platform services
#   camera    a C program streams, saves a PNG and a TIFF (wide path), records an
#             AVI and saves a mask file; Pillow, ffprobe and the Linux library's
#             mask loader read them back; the settings are in Wine's registry
#   claim     a second Wine process is refused the camera the first streams (2)
#
# Exits 77 (skipped) when wine or the mingw-w64 tools are missing;
# WINDOWS_BUILD is the cross build (scripts/build-windows.sh), and a missing
# one fails, so that a machine with the tools never skips silently.
set -euo pipefail
step=$1
build=$2
camsim=$3
quelix=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

for tool in wine x86_64-w64-mingw32-objdump; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
dll=$build/src/QuelixSdk_205KWMX.dll
if [ ! -f "$dll" ]; then
    echo "FAIL: no Windows build at $build (run scripts/build-windows.sh)"
    exit 1
fi

work=$(mktemp -d)
camsim_pid=""
cleanup() {
    if [ -n "$camsim_pid" ]; then
        kill "$camsim_pid" 2>/dev/null || true
        wait "$camsim_pid" 2>/dev/null || true
    fi
    # Only this test's own Wine server, by its prefix.
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A Wine prefix of the test's own: its registry starts empty.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH=$(winepath -w "$build/src" 2>/dev/null || echo "$build/src")
wineboot -i >/dev/null 2>&1 || true

# The simulated camera on a free loopback port: the first base port whose
# nine ports take it.
start_camsim() {
    local port
    for port in $(shuf -i 20000-60000 -n 20); do
        "$camsim" --dir "$work/devices" --tcp "$port" --fast --scene chart >"$work/camsim.log" 2>&1 &
        camsim_pid=$!
        for _ in $(seq 50); do
            if grep -q ready "$work/camsim.log"; then
                export QUELIX_DRIVER_TCP_PORT=$port
                return 0
            fi
            kill -0 "$camsim_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$camsim_pid" 2>/dev/null || true
        wait "$camsim_pid" 2>/dev/null || true
        camsim_pid=""
    done
    echo "FAIL: the simulated camera did not start"
    cat "$work/camsim.log"
    return 1
}

case $step in
exports)
    bash "$source_dir/tests/windows/check_def_file.sh" "$source_dir/include/QuelixSdk_205KWMX.h" \
        "$source_dir/cmake/QuelixSdk_205KWMX.def" "$dll"
    # Only system DLLs: the C and C++ run-times, winpthread and the image
    # libraries are inside.
    imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
    echo "imports: $(echo $imports)"
    for name in $imports; do
        case $name in
        kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | ws2_32.dll | winmm.dll | comctl32.dll | msvcrt.dll) ;;
        *)
            echo "FAIL: the DLL needs $name"
            exit 1
            ;;
        esac
    done
    ;;
driver)
    wine "$build/tests/windows/driver_ioctl_test.exe"
    ;;
platform)
    mkdir -p "$work/files"
    wine "$build/tests/windows/platform_services_test.exe" "$(winepath -w "$work/files")"
    ;;
camera)
    start_camsim
    out=$work/out
    mkdir -p "$out"
    wine "$build/tests/windows/wine_camera.exe" "$(winepath -w "$out")"
    /usr/bin/python3 - "$out" <<'PYTHON'
import sys
from PIL import Image
out = sys.argv[1]
png = Image.open(out + "/frame.png")
png.load()
tif = Image.open(out + "/frame-wide.tif")
tif.load()
assert png.size == (320, 256), png.size
assert tif.size == (320, 256), tif.size
# The chart scene is not flat: the frame carries a picture.
extrema = png.getextrema()
assert extrema[1] > extrema[0], extrema
print("png", png.mode, png.size, "tiff", tif.mode, tif.size)
PYTHON
    frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=codec_name,width,height,nb_read_frames \
        -of csv=p=0 "$out/clip.avi")
    echo "avi: $frames"
    IFS=, read -r codec width height count <<<"$frames"
    if [ "$codec" != rawvideo ] || [ "$width" != 320 ] || [ "$height" != 256 ] || ! [[ "$count" =~ ^[1-9][0-9]*$ ]]; then
        echo "FAIL: the AVI is not 320 x 256 raw video with frames"
        exit 1
    fi
    # The mask file written on Windows loads into the Linux library.
    (
        export QUELIX_DEVICE_DIR=$work/linux-devices QUELIX_REGISTRY=$work/linux.reg QUELIX_SHM_NAME=quelix-wine-$$
        unset DISPLAY
        "$quelix" stream --simulate --frames 3 --mask "$out/masks.msk" >"$work/mask.log"
    ) || {
        cat "$work/mask.log"
        echo "FAIL: the Linux library did not load the mask file"
        exit 1
    }
    # Quelix_Release stored the settings in Wine's registry, as REG_DWORD values.
    registry=$(wine reg query 'HKCU\Software\Korvex\Quelix205KWMXSdk\Camera_00' | tr -d '\r')
    echo "$registry"
    grep -qE '^ +Color +REG_DWORD +0x2$' <<<"$registry" || {
        echo "FAIL: no Color value of 16-bit mode (2) in the registry"
        exit 1
    }
    ;;
claim)
    start_camsim
    holder=$work/holder
    mkdir -p "$holder"
    wine "$build/tests/windows/wine_claim.exe" hold "$(winepath -w "$holder")\\held" \
        "$(winepath -w "$holder")\\stop" &
    hold_pid=$!
    for _ in $(seq 300); do
        [ -f "$holder/held" ] && break
        kill -0 "$hold_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -f "$holder/held" ]; then
        echo "FAIL: the first process did not start its preview"
        exit 1
    fi
    status=0
    wine "$build/tests/windows/wine_claim.exe" probe || status=$?
    touch "$holder/stop"
    wait "$hold_pid"
    [ "$status" -eq 0 ] || exit 1
    # Released, the camera is anyone's again.
    if wine "$build/tests/windows/wine_claim.exe" probe 2>/dev/null; then
        echo "FAIL: the camera stayed claimed after its holder released it"
        exit 1
    fi
    echo "ok: the claim holds across processes and ends with its holder"
    ;;
*)
    echo "unknown step $step"
    exit 2
    ;;
esac
