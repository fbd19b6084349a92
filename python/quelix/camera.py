# SPDX-License-Identifier: MIT
"""quelix.Camera: one camera of the library, with frames as numpy arrays."""
import ctypes
import os
import threading
import time

import numpy as np

from . import _library
from .constants import (
    DEVICE_NAME_SIZE,
    ERROR_HISTORY,
    FILTER_IDS,
    IMAGE_FORMATS,
    MASK_REFERENCES,
    MESSAGES,
    ROW_ORDERS,
    SENSOR_HEIGHT,
    SENSOR_WIDTH,
)
from .errors import ClosedError, QuelixError
from .frames import (
    MODE_BY_SIGNIFICANT_BITS,
    FrameRecord,
    frame_bytes,
    frame_view,
    make_frame,
)

WM_FRAME = MESSAGES["frame"]
WM_ERROR = MESSAGES["error"]
# Frames are copied top row first, as numpy arrays hold them.
_TOP_DOWN = ROW_ORDERS["top_down"]
# How long trigger() waits for each pulse unless told otherwise.
TRIGGER_TIMEOUT_S = 5.0
# The longest one message wait runs before it looks whether the camera closed.
_WAIT_SLICE_S = 0.1
# More codes than the library's error history holds.
_HISTORY_LIMIT = 2 * ERROR_HISTORY

# Formats of save(): the header's names, "jpeg" for quality 100, and file name extensions.
_FORMAT_NAMES = {**IMAGE_FORMATS, "jpeg": IMAGE_FORMATS["jpeg100"]}
_EXTENSIONS = {
    ".bmp": IMAGE_FORMATS["bmp"],
    ".raw": IMAGE_FORMATS["raw"],
    ".jpg": IMAGE_FORMATS["jpeg100"],
    ".jpeg": IMAGE_FORMATS["jpeg100"],
    ".png": IMAGE_FORMATS["png"],
    ".tif": IMAGE_FORMATS["tiff"],
    ".tiff": IMAGE_FORMATS["tiff"],
}

# A property of Camera for each parameter id, named as the id unless named
# here: the exposure in lines beside exposure_us.
_PROPERTY_NAMES = {"exposure_time": "exposure_lines"}
_READ_ONLY_FILTERS = {"temperature"}


def _path_bytes(path):
    return os.fsencode(os.fspath(path))


def _file_identity(path):
    try:
        status = os.stat(path)
    except FileNotFoundError:
        return None
    return (status.st_dev, status.st_ino)


class _Run:
    """What holds the camera's message window for its frame messages: a
    frame stream or a recording."""

    def __init__(self, label):
        self.label = label


class Camera:
    """A camera at a device number, open for the life of a `with` block.

        with quelix.Camera(0) as camera:
            camera.bits = 16
            for frame in camera.frames(100):
                print(frame.trailer, frame.mean())

    Every failed call raises QuelixError with the first error code the call
    recorded (its cause), and every code it recorded in `history`.

    A camera may be used from several threads. One lock serialises its
    calls into the library, and one of frames(), trigger() and record() runs
    at a time (another raises RuntimeError while it runs). close() from
    another thread stops what runs, waits until no thread is inside the
    library for this camera and then releases it: a frames() or trigger()
    loop ends, and any later call raises ClosedError (a ValueError).
    """

    def __init__(self, device=0, ring=4):
        if ring < 2:
            raise ValueError("ring needs at least 2 buffers")
        self._lib = _library.load()
        self._ring_size = ring
        # The lock guards the fields below and every call into the library
        # with the handle; _idle tells close() that the last message wait,
        # which runs without the lock, has left the library.
        self._lock = threading.RLock()
        self._idle = threading.Condition(self._lock)
        self._handle = 0
        self._window = None
        self._closing = False
        self._runner = None
        self._waiting = 0
        self.device = device
        try:
            with self._lock:
                self._open(device)
        except BaseException:
            self.close()
            raise

    # -- life -------------------------------------------------------------

    def _open(self, device):
        self._window = self._lib.QuelixPlatform_CreateMessageWindow()
        if not self._window:
            raise QuelixError(5, "QuelixPlatform_CreateMessageWindow", "no message window could be made")
        self._handle = self._lib.Quelix_Initialize(self._window)
        if self._handle == 0:
            raise QuelixError(5, "Quelix_Initialize", "no camera object could be made")
        # A failed initialisation still gives a handle, with the cause in
        # its error history; it shows when the device cannot be chosen.
        initialising = self._take_history()
        if self._lib.Quelix_SetDeviceNumber(self._handle, device) == 0:
            history = initialising + self._take_history()
            function = "Quelix_Initialize" if initialising else "Quelix_SetDeviceNumber"
            raise QuelixError(history[0] if history else 0, function, history=history)
        self._drain_messages()

    def close(self):
        """Stops what runs and releases the camera (its settings are saved).
        Called from another thread, it first waits for this camera's calls
        inside the library to return."""
        with self._lock:
            self._closing = True
            if self._runner is not None:
                self._end_run()
            self._idle.wait_for(lambda: self._waiting == 0)
            if self._handle:
                self._lib.Quelix_Release(self._handle)
                self._handle = 0
            if self._window:
                self._lib.QuelixPlatform_DestroyWindow(self._window)
                self._window = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_idle", None) is not None:
            self.close()

    @property
    def closed(self):
        return self._closing

    # -- calls: the helpers below but _run and _wait_message are for a
    # caller holding the lock -----------------------------------------------

    def _live_handle(self):
        if self._closing:
            raise ClosedError("the camera is closed")
        return self._handle

    def _take_history(self):
        """Empties the camera's error history: its codes, oldest first."""
        codes = []
        while len(codes) < _HISTORY_LIMIT:
            code = self._lib.Quelix_GetLastError(self._handle)
            if code == 0:
                break
            codes.append(code)
        codes.reverse()
        return codes

    def _error(self, function, code=None, detail=None):
        """The error of a failed call from the codes it recorded; `code`
        when a notification carried the cause."""
        history = self._take_history()
        self._drain_messages()
        if code is None:
            code = history[0] if history else 0
        return QuelixError(code, function, detail, history)

    def _drain_messages(self):
        """Drops the error notifications queued on the message window (the
        error history holds the same codes), unless frames arrive there."""
        if self._runner is not None:
            return
        message = _library.Message()
        while self._lib.QuelixPlatform_PeekMessage(self._window, ctypes.byref(message)):
            pass

    def _run(self, function, *args, failed=lambda result: result == 0):
        """function(handle, *args) under the lock, the error history emptied
        first so that a failure reports only the codes of this call."""
        with self._lock:
            handle = self._live_handle()
            self._take_history()
            result = getattr(self._lib, function)(handle, *args)
            if failed is not None and failed(result):
                raise self._error(function)
            return result

    def _check(self, function, *args):
        return self._run(function, *args)

    def _get(self, function, *args):
        ok = ctypes.c_int32(0)
        return self._run(function, *args, ctypes.byref(ok), failed=lambda _: ok.value == 0)

    def _wait_message(self, deadline, run):
        """The next message of the window, waited for without the lock in
        slices, so that a close() from another thread is seen soon. None at
        the deadline (time.monotonic(); None: no limit). ClosedError once the
        camera closes or `run` no longer holds the window. The caller must
        not hold the lock."""
        message = _library.Message()
        while True:
            with self._lock:
                self._check_run(run)
                window = self._window
                self._waiting += 1
            wait_s = _WAIT_SLICE_S if deadline is None else min(_WAIT_SLICE_S, deadline - time.monotonic())
            wait_ms = max(0, int(wait_s * 1000))
            try:
                got = self._lib.QuelixPlatform_GetMessage(window, ctypes.byref(message), wait_ms)
            finally:
                with self._lock:
                    self._waiting -= 1
                    if self._waiting == 0:
                        self._idle.notify_all()
            if got == 1:
                return message
            if deadline is not None and time.monotonic() >= deadline:
                return None

    def _check_run(self, run):
        """ClosedError once the camera closes or `run` has stopped."""
        self._live_handle()
        if self._runner is not run:
            raise ClosedError(f"{run.label} has stopped")

    def _new_run(self, label):
        """The holder of the message window for `label`, which takes it
        (sets _runner) once its start succeeded, under the same hold of the
        lock; RuntimeError while another runs."""
        self._live_handle()
        if self._runner is not None:
            raise RuntimeError(f"{label} cannot start while {self._runner.label} runs on this camera")
        self._drain_messages()
        return _Run(label)

    def _end_run(self):
        """Stops the preview, trigger mode or recording that runs."""
        self._runner = None
        if self._handle:
            self._lib.Quelix_StopPreview(self._handle)
            self._drain_messages()

    # -- properties ---------------------------------------------------------

    @property
    def name(self):
        buffer = ctypes.create_string_buffer(DEVICE_NAME_SIZE)
        self._check("Quelix_GetDeviceName", self.device, buffer, len(buffer))
        return buffer.value.decode("utf-8", "replace")

    @property
    def width(self):
        return self._run("Quelix_Width", failed=None)

    @property
    def height(self):
        return self._run("Quelix_Height", failed=None)

    @property
    def bits(self):
        """Bits per pixel of the frames: 8 or 16 (gray), 24 or 32 (8-bit
        colour), 48 or 64 (colour with 14-bit samples)."""
        significant = self._run("Quelix_GetColorMode", failed=lambda mode: mode not in MODE_BY_SIGNIFICANT_BITS)
        return MODE_BY_SIGNIFICANT_BITS[significant]

    @bits.setter
    def bits(self, value):
        self._check("Quelix_SetColorMode", int(value))

    @property
    def window(self):
        """The capture window on the 320 x 256 sensor: (x, y, width, height).
        The camera takes it in steps of two pixels."""
        values = [ctypes.c_int32() for _ in range(6)]
        self._check("Quelix_GetCaptureWindowEx", *[ctypes.byref(v) for v in values])
        _, x, width, _, y, height = (v.value for v in values)
        return (x, y, width, height)

    @window.setter
    def window(self, value):
        x, y, width, height = (int(v) for v in value)
        self._check("Quelix_SetCaptureWindowEx", SENSOR_WIDTH, x, width, SENSOR_HEIGHT, y, height)

    @property
    def exposure_us(self):
        return self._get("Quelix_GetRealExposureTime")

    @exposure_us.setter
    def exposure_us(self, value):
        self._check("Quelix_SetRealExposureTime", int(value))

    @property
    def mirror_h(self):
        return bool(self._run("Quelix_GetMirrorH", failed=None))

    @mirror_h.setter
    def mirror_h(self, value):
        self._check("Quelix_SetMirrorH", 1 if value else 0)

    @property
    def mirror_v(self):
        return bool(self._run("Quelix_GetMirrorV", failed=None))

    @mirror_v.setter
    def mirror_v(self, value):
        self._check("Quelix_SetMirrorV", 1 if value else 0)

    @property
    def auto_exposure(self):
        """Automatic exposure: 0 off, 1 on (2: the library's second mode)."""
        return self._get("Quelix_GetAutoIris")

    @auto_exposure.setter
    def auto_exposure(self, value):
        self._check("Quelix_SetAutoIris", int(value))

    @property
    def wait_time_ms(self):
        """The preview loop's pause before each frame (10 ms by default; 0
        takes frames as fast as the camera makes them)."""
        return self._run("Quelix_GetWaitTime", failed=lambda value: value < 0)

    @wait_time_ms.setter
    def wait_time_ms(self, value):
        self._check("Quelix_SetWaitTime", int(value))

    def get_filter(self, parameter_id):
        """An image filter or camera value by its parameter id."""
        return self._get("Quelix_GetFilterValue", int(parameter_id))

    def set_filter(self, parameter_id, value):
        self._check("Quelix_SetFilterValue", int(parameter_id), int(value))

    # -- frames -------------------------------------------------------------

    def frames(self, n=None, timeout_s=10.0):
        """Live frames: an iterator of n frames (None: until the loop stops)
        from a preview, started at once. Each is a view of a ring buffer
        (H x W, or H x W x 3 or 4 with blue, green, red first; uint8 or
        uint16 by `bits`) with `record` and `trailer`. Its pixels stay as
        they are while the next ring - 1 frames are taken; copy() what you
        keep longer. A loop slower than the camera gets the newest frame
        each time (the frames between show as gaps in the trailers). No frame
        within timeout_s seconds raises QuelixError 13 (None: no limit). The
        preview stops when the iteration ends or the iterator is closed; the
        iteration ends when the camera is closed, from any thread."""
        return FrameStream(self, "Quelix_CallBackPreview", "frames()", n, timeout_s)

    def trigger(self, n=None, timeout_s=TRIGGER_TIMEOUT_S):
        """Triggered frames: the camera waits for a pulse on its trigger
        input for each frame. An iterator as frames() (record.fps is 0).
        Waiting for a pulse longer than timeout_s seconds (5 s by default;
        None waits without limit) raises QuelixError 13 (WAIT_FRAME), as
        does a camera that is lost in trigger mode."""
        return FrameStream(self, "Quelix_Trigger", "trigger()", n, timeout_s)

    def snapshot(self):
        """One frame taken now through the whole pipeline, as a new array
        (not possible while frames() or trigger() runs)."""
        with self._lock:
            bits, width, height = self.bits, self.width, self.height
            memory = np.zeros(frame_bytes(width, height, bits), dtype=np.uint8)
            self._check("Quelix_SnapShot", memory.ctypes.data, memory.size, _TOP_DOWN)
        record = FrameRecord(width, height, bits, 0.0)
        return make_frame(frame_view(memory, width, height, bits), record, None)

    # -- files --------------------------------------------------------------

    def save(self, path, format=None):
        """Saves the latest frame: format "png", "tiff", "bmp", "raw",
        "jpeg" or "jpeg100" (quality 100), "jpeg70", "jpeg20", or the code 0
        to 6; by default from the file name's extension. A failed save leaves
        no partial file and keeps an existing one."""
        if format is None:
            extension = os.path.splitext(os.fspath(path))[1].lower()
            if extension not in _EXTENSIONS:
                raise ValueError(f"no image format for {extension!r}: give format=")
            code = _EXTENSIONS[extension]
        elif isinstance(format, str):
            if format.lower() not in _FORMAT_NAMES:
                raise ValueError(f"unknown image format {format!r}; one of {sorted(_FORMAT_NAMES)}")
            code = _FORMAT_NAMES[format.lower()]
        else:
            code = int(format)
        self._check("Quelix_SaveImage", _path_bytes(path), code)

    def record(self, path, seconds, timeout_s=None):
        """Records `seconds` of processed frames into an uncompressed AVI
        file and returns when the file is complete. The time counts from the
        first frame; the preview the recording runs on is stopped after.
        Closing the camera from another thread stops the recording: this
        call then raises ClosedError."""
        milliseconds = int(round(seconds * 1000))
        if milliseconds < 0:
            raise ValueError("seconds must not be negative")
        target = os.fspath(path)
        before = _file_identity(target)
        with self._lock:
            run = self._new_run("record()")
            self._check("Quelix_Record", _path_bytes(target), milliseconds, 0)
            self._runner = run
        limit = time.monotonic() + (timeout_s if timeout_s is not None else seconds + 10.0)
        try:
            # The library renames the finished file into place.
            while _file_identity(target) == before:
                if time.monotonic() > limit:
                    raise QuelixError(13, "Quelix_Record", f"the recording did not finish within {seconds} s")
                message = self._wait_message(time.monotonic() + 0.05, run)
                if message is not None and message.message == WM_ERROR:
                    with self._lock:
                        raise self._error("Quelix_Record", code=message.lParam)
        finally:
            # Ends the preview, and finishes the recording if it still runs.
            with self._lock:
                if self._runner is run:
                    self._end_run()

    def load_masks(self, path):
        """Loads the shading references from a mask file and derives the
        defect masks from them."""
        self._check("Quelix_LoadMaskFile", _path_bytes(path))

    def save_masks(self, path):
        """Saves the four shading references to a mask file."""
        self._check("Quelix_SaveMaskFile", _path_bytes(path))

    def update_mask(self, which):
        """Takes the current frame (after snapshot(), or while frames()
        runs) as the dark (0, "dark") or bright (1, "bright") reference and
        derives its defect mask."""
        which = MASK_REFERENCES.get(which, which)
        self._check("Quelix_UpdateMaskData", int(which))



class FrameStream:
    """The frames of a preview or of trigger mode, started when made, in a
    ring of buffers. The library announces each frame with a message; the
    newest finished frame is then copied whole into the next ring slot
    (Quelix_GetImage copies under the lock the library publishes frames
    under, so a frame is never mixed from two). Closing the stream (at its
    end, by close(), a `with` block or when it is dropped) stops the preview
    or trigger mode; closing it or its camera from another thread ends the
    iteration. Threads that iterate one stream take its frames in turn."""

    def __init__(self, camera, function, label, n, timeout_s):
        self._camera = camera
        self._function = function
        self._remaining = n
        self._timeout_s = timeout_s
        self._count = 0
        self._last_trailer = None
        # Held by the thread taking a frame: the ring, the count and the
        # last trailer are its.
        self._next_lock = threading.Lock()
        with camera._lock:
            run = camera._new_run(label)
            bits, width, height = camera.bits, camera.width, camera.height
            self._size = frame_bytes(width, height, bits)
            self._ring = [np.zeros(self._size, dtype=np.uint8) for _ in range(camera._ring_size)]
            camera._check(function, camera._window, None, 0, _TOP_DOWN)
            camera._runner = run
        self._run = run

    def __iter__(self):
        return self

    def __next__(self):
        with self._next_lock:
            if self._remaining is not None and self._count >= self._remaining:
                self.close()
                raise StopIteration
            try:
                return self._next_frame()
            except ClosedError:
                raise StopIteration from None
            except BaseException:
                self.close()
                raise

    def _next_frame(self):
        camera = self._camera
        deadline = None if self._timeout_s is None else time.monotonic() + self._timeout_s
        while True:
            message = camera._wait_message(deadline, self._run)
            if message is None:
                raise QuelixError(13, self._function, f"no frame within {self._timeout_s} s")
            # The frame record and the trailer word live in the camera
            # object: read only under the lock, while close() cannot free it.
            with camera._lock:
                camera._check_run(self._run)
                addresses = self._newest_frame(message)
                if addresses is None:
                    continue
                frame = self._copy_frame(*addresses)
            # A frame copied on an earlier message has its own message too.
            if frame.trailer != self._last_trailer:
                self._last_trailer = frame.trailer
                self._count += 1
                return frame

    def _newest_frame(self, message):
        """The addresses of the newest frame record and trailer word among
        the message and those queued behind it (frames that came meanwhile
        are superseded by the newest); None without a frame message. A frame
        message without a frame raises the error it carries (a camera lost
        in trigger mode, say)."""
        camera = self._camera
        addresses = None
        while True:
            if message.message == WM_FRAME:
                if message.wParam == 0:
                    raise camera._error(self._function, code=message.lParam,
                                        detail="the camera stopped delivering frames (lost or not answering)")
                addresses = (message.wParam, message.lParam)
            if not camera._lib.QuelixPlatform_PeekMessage(camera._window, ctypes.byref(message)):
                return addresses

    def _copy_frame(self, info_address, trailer_address):
        # The record and the trailer word change with every frame. The
        # library publishes a frame and its trailer together: a copy with
        # the same trailer before and after it holds the frame of that
        # trailer.
        info = _library.FrameInfo.from_address(info_address)
        trailer_word = ctypes.c_int32.from_address(trailer_address)
        slot = self._ring[self._count % len(self._ring)]
        while True:
            trailer = trailer_word.value
            record = FrameRecord(info.width, info.height, info.bitCount, info.fps10 / 10.0)
            self._camera._check("Quelix_GetImage", slot.ctypes.data, self._size, _TOP_DOWN)
            if trailer_word.value == trailer:
                break
        view = frame_view(slot, record.width, record.height, record.bits)
        return make_frame(view, record, trailer & 0xFFFF)

    def close(self):
        """Stops the preview or trigger mode of this stream."""
        camera = self._camera
        with camera._lock:
            if camera._runner is self._run:
                camera._end_run()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_run", None) is not None:
            self.close()


def _filter_property(name, parameter_id):
    def getter(self):
        return self.get_filter(parameter_id)

    def setter(self, value):
        self.set_filter(parameter_id, value)

    doc = f"The {name.replace('_', ' ')} value (parameter id {parameter_id})."
    return property(getter, None if name in _READ_ONLY_FILTERS else setter, doc=doc)


for _name, _id in FILTER_IDS.items():
    _property = _PROPERTY_NAMES.get(_name, _name)
    setattr(Camera, _property, _filter_property(_property, _id))
