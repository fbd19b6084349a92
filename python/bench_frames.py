# SPDX-License-Identifier: MIT
"""How fast Python takes frames: the frame rate of Camera.frames() against
what the camera delivers, and CPU time per frame, beside a C application on
the callback preview (bench/callback_rate.c, `quelix_callback_rate`).

    QUELIX_LIBRARY=build/src/libQuelixSdk_205KWMX.so PYTHONPATH=python \\
        python3 python/bench_frames.py build/bench/quelix_callback_rate

Two cameras: one at the sensor's own rate (real time, the preview loop's
default 10 ms wait), and one in fast mode (frames as soon as they are read,
no wait): the highest rate.
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

import quelix


def process_cpu():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_utime + usage.ru_stime


def python_rate(frames, wait_ms, with_mean):
    with quelix.Camera(0) as camera:
        camera.bits = 16
        camera.wait_time_ms = wait_ms
        stream = camera.frames(frames + 20)
        for _ in range(20):  # settle
            next(stream)
        wall, thread, process = time.monotonic(), time.thread_time(), process_cpu()
        first = last = None
        for frame in stream:
            if with_mean:
                frame.mean()
            last = frame.trailer
            first = last if first is None else first
        wall = time.monotonic() - wall
        thread = time.thread_time() - thread
        process = process_cpu() - process
    return frames, wall, frames / wall, (last - first) & 0xFFFF, thread * 1e6 / frames, process * 1e6 / frames


def c_rate(program, frames, wait_ms):
    output = subprocess.run([program, str(frames), str(wait_ms)], capture_output=True, text=True, check=True)
    count, wall, fps, span, thread, process = output.stdout.split()
    return int(count), float(wall), float(fps), int(span), float(thread), float(process)


def row(name, result):
    frames, wall, fps, span, thread, process = result
    camera_fps = span / wall
    print(f"| {name} | {fps:,.0f} | {camera_fps:,.0f} | {thread:,.0f} µs | {process:,.0f} µs |")


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else None
    os.environ.setdefault("QUELIX_REGISTRY", os.path.join(tempfile.mkdtemp(), "registry.reg"))
    print("| stream | frames/s taken | frames/s of the camera | CPU per frame, taking thread | CPU per frame, process |")
    print("|---|---|---|---|---|")
    for fast, wait_ms, frames in ((False, 10, 300), (True, 0, 3000)):
        label = "fast mode, wait 0 ms" if fast else "real time, wait 10 ms"
        with quelix.simulate(fast=fast, scene="flat"):
            if program:
                row(f"C callback, {label}", c_rate(program, frames, wait_ms))
            row(f"Python frames(), {label}", python_rate(frames, wait_ms, False))
            row(f"Python frames() + mean, {label}", python_rate(frames, wait_ms, True))


if __name__ == "__main__":
    main()
