#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelixsrc in gst-launch-1.0 pipelines with simulate=true, each result
# checked by another program: the file size, Pillow, ffprobe, and an RTP
# receiver over loopback; gst-inspect-1.0 lists the element.
# Usage: gst_pipelines.sh PLUGIN_DIRECTORY
set -euo pipefail
export GST_PLUGIN_PATH=$1
source "$(dirname "$0")/private_environment.sh"
# GStreamer's plugin registry of this test only, not the user's.
export GST_REGISTRY="$directory/gst-registry.bin"
launch() { timeout 120 gst-launch-1.0 -q "$@"; }
python=/usr/bin/python3

# Every property with its range.
inspect=$(gst-inspect-1.0 quelixsrc)
for property in device exposure-us auto-exposure window mirror-h mirror-v mask-file simulate color-mode \
    msb-align reconnect brightness contrast hue saturation sharpness gamma num-buffers do-timestamp; do
    grep -qE "^  $property +:" <<<"$inspect" || { echo "gst-inspect-1.0 lists no $property"; exit 1; }
done
grep -A3 '^  device ' <<<"$inspect" | grep -q 'Range: 0 - 7'
grep -A3 '^  exposure-us ' <<<"$inspect" | grep -q 'Range: 0 - 1274636'

# Exactly 100 frames of bytes.
launch quelixsrc simulate=true num-buffers=100 ! filesink location="$directory/frames.raw"
size=$(stat -c %s "$directory/frames.raw")
[ "$size" -eq $((100 * 320 * 256 * 2)) ] || { echo "100 GRAY16 frames gave $size bytes"; exit 1; }
launch quelixsrc simulate=true num-buffers=10 window=0,0,102,50 ! video/x-raw,format=BGR ! \
    filesink location="$directory/frames.raw"
size=$(stat -c %s "$directory/frames.raw")
[ "$size" -eq $((10 * 308 * 50)) ] || { echo "10 BGR frames of 102 x 50 gave $size bytes"; exit 1; }

# A PNG per frame, read by Pillow.
launch quelixsrc simulate=true num-buffers=5 ! videoconvert ! pngenc ! \
    multifilesink location="$directory/frame-%02d.png"
"$python" - "$directory" <<'PY'
import sys
from PIL import Image
for i in range(5):
    with Image.open(f"{sys.argv[1]}/frame-{i:02d}.png") as image:
        image.load()
        assert image.size == (320, 256), image.size
        extrema = image.convert("L").getextrema()
        assert extrema[1] > 0, f"frame {i} is black"
PY

# Containers read by ffprobe, with the frame count.
frames_in() {
    ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"
}
launch quelixsrc simulate=true num-buffers=30 ! videoconvert ! video/x-raw,format=I420 ! avimux ! \
    filesink location="$directory/video.avi"
[ "$(frames_in "$directory/video.avi")" -eq 30 ] || { echo "the AVI file holds $(frames_in "$directory/video.avi") frames"; exit 1; }
encoder="video/x-raw,format=I420"
if gst-inspect-1.0 avenc_ffv1 >/dev/null 2>&1; then
    encoder="avenc_ffv1"
fi
launch quelixsrc simulate=true num-buffers=30 ! videoconvert ! $encoder ! matroskamux ! \
    filesink location="$directory/video.mkv"
[ "$(frames_in "$directory/video.mkv")" -eq 30 ] || { echo "the Matroska file holds $(frames_in "$directory/video.mkv") frames"; exit 1; }
if [ "$encoder" = avenc_ffv1 ]; then
    codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$directory/video.mkv")
    [ "$codec" = ffv1 ] || { echo "the Matroska file holds $codec, not FFV1"; exit 1; }
fi

# RTP over loopback only: every frame arrives.
port=$("$python" -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
caps="application/x-rtp,media=video,clock-rate=90000,encoding-name=RAW,sampling=RGB,depth=(string)8,width=(string)64,height=(string)48,payload=96"
timeout 120 gst-launch-1.0 -q udpsrc address=127.0.0.1 port="$port" caps="$caps" ! rtpvrawdepay ! \
    filesink location="$directory/received.raw" &
receiver=$!
background_pids+=($receiver)
sleep 1
launch quelixsrc simulate=true num-buffers=40 window=0,0,64,48 ! videoconvert ! video/x-raw,format=RGB ! \
    rtpvrawpay ! udpsink host=127.0.0.1 port="$port"
sleep 1
kill -INT "$receiver"
wait "$receiver" || true
size=$(stat -c %s "$directory/received.raw")
[ "$size" -eq $((40 * 64 * 48 * 3)) ] || { echo "received $size bytes of 40 RGB frames"; exit 1; }

# Bad values are refused with a message that says what is wrong.
if output=$(launch quelixsrc simulate=true num-buffers=1 mask-file="$directory/none.msk" ! fakesink 2>&1); then
    echo "a missing mask file was accepted"
    exit 1
fi
grep -q "mask-file" <<<"$output"
echo "gst pipelines: all checked"
