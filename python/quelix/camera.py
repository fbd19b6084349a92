"""quelix.Camera: one camera of the library, with frames as numpy arrays."""
import ctypes
import os
import time

import numpy as np

from . import _library
from .errors import QuelixError
from .frames import (
    MODE_BY_SIGNIFICANT_BITS,
    FrameRecord,
    frame_bytes,
    frame_view,
    make_frame,
)

WM_FRAME = 0x8002
WM_ERROR = 0x8003
SENSOR_WIDTH = 320
SENSOR_HEIGHT = 256

# Formats of save(): names and file name extensions.
IMAGE_FORMATS = {
    "bmp": 0,
    "raw": 1,
    "jpeg": 2,
    "jpeg100": 2,
    "jpeg70": 3,
    "jpeg20": 4,
    "png": 5,
    "tiff": 6,
}
_EXTENSIONS = {".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6}

# The image filter values by parameter id (Quelix_SetFilterValue).
FILTER_IDS = {
    "brightness": 1,
    "contrast": 2,
    "hue": 3,
    "saturation": 4,
    "sharpness": 5,
    "gamma": 11,
    "global_gain": 13,
    "color_gain_red": 14,
    "color_gain_green1": 15,
    "color_gain_green2": 16,
    "color_gain_blue": 17,
    "exposure_lines": 18,
    "gray_mode": 19,
    "gray_gain_r": 20,
    "gray_gain_g1": 21,
    "gray_gain_g2": 22,
    "gray_gain_b": 23,
    "gray_offset_r": 24,
    "gray_offset_g1": 25,
    "gray_offset_g2": 26,
    "gray_offset_b": 27,
    "peltier": 100,
    "temperature": 101,
    "dot_filter": 102,
    "mask_filter": 103,
}
_READ_ONLY_FILTERS = {"temperature"}


def _path_bytes(path):
    return os.fsencode(os.fspath(path))


def _file_identity(path):
    try:
        status = os.stat(path)
    except FileNotFoundError:
        return None
    return (status.st_dev, status.st_ino)


class Camera:
    """A camera at a device number, open for the life of a `with` block.

        with quelix.Camera(0) as camera:
            camera.bits = 16
            for frame in camera.frames(100):
                print(frame.trailer, frame.mean())

    Every failed call raises QuelixError with the library's error code.
    """

    def __init__(self, device=0, ring=4):
        if ring < 2:
            raise ValueError("ring needs at least 2 buffers")
        self._lib = _library.load()
        self._ring_size = ring
        self._handle = 0
        self._window = None
        self._streaming = False
        self._message = _library.Message()
        self._window = self._lib.QuelixPlatform_CreateMessageWindow()
        if not self._window:
            raise QuelixError(5, "QuelixPlatform_CreateMessageWindow", "no message window could be made")
        self._handle = self._lib.Quelix_Initialize(self._window)
        if self._handle == 0:
            self._destroy_window()
            raise QuelixError(5, "Quelix_Initialize", "no camera object could be made")
        self.device = device
        try:
            self._check("Quelix_SetDeviceNumber", device)
        except BaseException:
            self.close()
            raise

    # -- life -------------------------------------------------------------

    def close(self):
        """Stops what runs and releases the camera (its settings are saved)."""
        if self._handle:
            self._lib.Quelix_Release(self._handle)
            self._handle = 0
        self._streaming = False
        self._destroy_window()

    def _destroy_window(self):
        if self._window:
            self._lib.QuelixPlatform_DestroyWindow(self._window)
            self._window = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_lib", None) is not None:
            self.close()

    @property
    def closed(self):
        return self._handle == 0

    # -- calls --------------------------------------------------------------

    def _live_handle(self):
        if self._handle == 0:
            raise ValueError("the camera is closed")
        return self._handle

    def _error(self, function):
        """The error of a failed call: the newest recorded code. The history
        is emptied, so the next failure reports its own code."""
        codes = []
        while len(codes) < 32:
            code = self._lib.Quelix_GetLastError(self._handle)
            if code == 0:
                break
            codes.append(code)
        self._drain_errors()
        return QuelixError(codes[0] if codes else 0, function)

    def _drain_errors(self):
        """Drops the error notifications queued on the message window; the
        error history holds the same codes."""
        if self._streaming:
            return
        while self._lib.QuelixPlatform_PeekMessage(self._window, ctypes.byref(self._message)):
            pass

    def _check(self, function, *args):
        result = getattr(self._lib, function)(self._live_handle(), *args)
        if result == 0:
            raise self._error(function)
        return result

    def _get(self, function, *args):
        ok = ctypes.c_int32(0)
        value = getattr(self._lib, function)(self._live_handle(), *args, ctypes.byref(ok))
        if ok.value == 0:
            raise self._error(function)
        return value

    # -- properties ---------------------------------------------------------

    @property
    def name(self):
        buffer = ctypes.create_string_buffer(256)
        self._check("Quelix_GetDeviceName", self.device, buffer, len(buffer))
        return buffer.value.decode("utf-8", "replace")

    @property
    def width(self):
        return self._lib.Quelix_Width(self._live_handle())

    @property
    def height(self):
        return self._lib.Quelix_Height(self._live_handle())

    @property
    def bits(self):
        """Bits per pixel of the frames: 8 or 16 (gray), 24 or 32 (8-bit
        colour), 48 or 64 (colour with 14-bit samples)."""
        significant = self._lib.Quelix_GetColorMode(self._live_handle())
        if significant not in MODE_BY_SIGNIFICANT_BITS:
            raise self._error("Quelix_GetColorMode")
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
        return bool(self._lib.Quelix_GetMirrorH(self._live_handle()))

    @mirror_h.setter
    def mirror_h(self, value):
        self._check("Quelix_SetMirrorH", 1 if value else 0)

    @property
    def mirror_v(self):
        return bool(self._lib.Quelix_GetMirrorV(self._live_handle()))

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
        value = self._lib.Quelix_GetWaitTime(self._live_handle())
        if value < 0:
            raise self._error("Quelix_GetWaitTime")
        return value

    @wait_time_ms.setter
    def wait_time_ms(self, value):
        self._check("Quelix_SetWaitTime", int(value))

    def get_filter(self, parameter_id):
        """An image filter or camera value by its parameter id."""
        return self._get("Quelix_GetFilterValue", int(parameter_id))

    def set_filter(self, parameter_id, value):
        self._check("Quelix_SetFilterValue", int(parameter_id), int(value))

    # -- frames -------------------------------------------------------------

    def _take_message_into(self, message, timeout_s):
        """Waits for the next message; False after timeout_s seconds (None:
        no limit)."""
        timeout_ms = -1 if timeout_s is None else max(0, int(timeout_s * 1000))
        return self._lib.QuelixPlatform_GetMessage(self._window, ctypes.byref(message), timeout_ms) == 1

    def _frame_failure(self, function, code):
        """The failure a notification carries the code of (a frame message
        without a frame, an error message); the history is emptied."""
        while self._lib.Quelix_GetLastError(self._handle) != 0:
            pass
        return QuelixError(int(code), function)

    def _stream(self, function, n, timeout_s):
        if self._streaming:
            raise RuntimeError("frames() or trigger() is already running on this camera")
        return FrameStream(self, function, n, timeout_s)

    def frames(self, n=None, timeout_s=10.0):
        """Live frames: an iterator of n frames (None: until the loop stops)
        from a preview, started at once. Each is a view of a ring buffer
        (H x W, or H x W x 3 or 4 with blue, green, red first; uint8 or
        uint16 by `bits`) with `record` and `trailer`. Its pixels stay as
        they are while the next ring - 1 frames are taken; copy() what you
        keep longer. A loop slower than the camera gets the newest frame
        each time (the frames between show as gaps in the trailers). The
        preview stops when the iteration ends or the iterator is closed."""
        return self._stream("Quelix_CallBackPreview", n, timeout_s)

    def trigger(self, n=None, timeout_s=None):
        """Triggered frames: the camera waits for a pulse on its trigger
        input for each frame. An iterator as frames() (record.fps is 0);
        timeout_s None waits for triggers without limit."""
        return self._stream("Quelix_Trigger", n, timeout_s)

    def snapshot(self):
        """One frame taken now through the whole pipeline, as a new array
        (not possible while frames() or trigger() runs)."""
        bits, width, height = self.bits, self.width, self.height
        memory = np.zeros(frame_bytes(width, height, bits), dtype=np.uint8)
        self._check("Quelix_SnapShot", memory.ctypes.data, memory.size, 1)
        record = FrameRecord(width, height, bits, 0.0)
        return make_frame(frame_view(memory, width, height, bits), record, None)

    # -- files --------------------------------------------------------------

    def save(self, path, format=None):
        """Saves the latest frame: format "png", "tiff", "bmp", "raw",
        "jpeg" (quality 100), "jpeg70", "jpeg20", or the code 0 to 6; by
        default from the file name's extension. A failed save leaves no
        partial file and keeps an existing one."""
        if format is None:
            extension = os.path.splitext(os.fspath(path))[1].lower()
            if extension not in _EXTENSIONS:
                raise ValueError(f"no image format for {extension!r}: give format=")
            code = _EXTENSIONS[extension]
        elif isinstance(format, str):
            if format.lower() not in IMAGE_FORMATS:
                raise ValueError(f"unknown image format {format!r}; one of {sorted(IMAGE_FORMATS)}")
            code = IMAGE_FORMATS[format.lower()]
        else:
            code = int(format)
        self._check("Quelix_SaveImage", _path_bytes(path), code)

    def record(self, path, seconds, timeout_s=None):
        """Records `seconds` of processed frames into an uncompressed AVI
        file and returns when the file is complete. The time counts from the
        first frame; the preview the recording runs on is stopped after."""
        if self._streaming:
            raise RuntimeError("record() cannot run while frames() or trigger() runs")
        milliseconds = int(round(seconds * 1000))
        if milliseconds < 0:
            raise ValueError("seconds must not be negative")
        target = os.fspath(path)
        before = _file_identity(target)
        self._drain_errors()
        self._check("Quelix_Record", _path_bytes(target), milliseconds, 0)
        limit = time.monotonic() + (timeout_s if timeout_s is not None else seconds + 10.0)
        try:
            # The library renames the finished file into place.
            while _file_identity(target) == before:
                if time.monotonic() > limit:
                    raise QuelixError(13, "Quelix_Record", f"the recording did not finish within {seconds} s")
                if self._take_message_into(self._message, 0.05) and self._message.message == WM_ERROR:
                    raise self._frame_failure("Quelix_Record", self._message.lParam)
        finally:
            # Ends the preview, and finishes the recording if it still runs.
            self._lib.Quelix_StopPreview(self._handle)

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
        which = {"dark": 0, "bright": 1}.get(which, which)
        self._check("Quelix_UpdateMaskData", int(which))


class FrameStream:
    """The frames of a preview or of trigger mode, started when made, in a
    ring of buffers. The library announces each frame with a message; the
    newest finished frame is then copied whole into the next ring slot
    (Quelix_GetImage copies under the lock the library publishes frames
    under, so a frame is never mixed from two). Closing the stream (at its
    end, by close(), a `with` block or when it is dropped) stops the preview
    or trigger mode."""

    def __init__(self, camera, function, n, timeout_s):
        self._camera = camera
        self._lib = camera._lib
        self._function = function
        self._remaining = n
        self._timeout_s = timeout_s
        self._handle = camera._live_handle()
        bits, width, height = camera.bits, camera.width, camera.height
        self._size = frame_bytes(width, height, bits)
        self._ring = [np.zeros(self._size, dtype=np.uint8) for _ in range(camera._ring_size)]
        self._count = 0
        self._last_trailer = None
        self._message = _library.Message()
        camera._drain_errors()
        if getattr(self._lib, function)(self._handle, camera._window, None, 0, 1) == 0:
            raise camera._error(function)
        camera._streaming = True
        self._open = True

    def __iter__(self):
        return self

    def __next__(self):
        if not self._open:
            raise StopIteration
        if self._remaining is not None and self._count >= self._remaining:
            self.close()
            raise StopIteration
        try:
            return self._next_frame()
        except BaseException:
            self.close()
            raise

    def _wait_frame_message(self):
        """Waits for a frame message and takes the frame messages queued
        behind it: frames that came meanwhile are superseded by the newest."""
        camera, message = self._camera, self._message
        while True:
            if not camera._take_message_into(message, self._timeout_s):
                raise QuelixError(13, self._function, f"no frame within {self._timeout_s} s")
            if message.message == WM_FRAME:
                break
        addresses = None
        while True:
            if message.message == WM_FRAME:
                if message.wParam == 0:
                    raise camera._frame_failure(self._function, message.lParam)
                addresses = (message.wParam, message.lParam)
            if not self._lib.QuelixPlatform_PeekMessage(camera._window, ctypes.byref(message)):
                return addresses

    def _next_frame(self):
        while True:
            frame = self._copy_newest_frame()
            # A frame copied on an earlier message has its own message too.
            if frame.trailer != self._last_trailer:
                self._last_trailer = frame.trailer
                self._count += 1
                return frame

    def _copy_newest_frame(self):
        info_address, trailer_address = self._wait_frame_message()
        # The record and the trailer word belong to the camera and change
        # with every frame. The library publishes a frame and its trailer
        # together: a copy with the same trailer before and after it holds
        # the frame of that trailer.
        info = _library.FrameInfo.from_address(info_address)
        trailer_word = ctypes.c_int32.from_address(trailer_address)
        slot = self._ring[self._count % len(self._ring)]
        while True:
            trailer = trailer_word.value
            record = FrameRecord(info.width, info.height, info.bitCount, info.fps10 / 10.0)
            if self._lib.Quelix_GetImage(self._handle, slot.ctypes.data, self._size, 1) == 0:
                raise self._camera._error("Quelix_GetImage")
            if trailer_word.value == trailer:
                break
        view = frame_view(slot, record.width, record.height, record.bits)
        return make_frame(view, record, trailer & 0xFFFF)

    def close(self):
        if not self._open:
            return
        self._open = False
        camera = self._camera
        camera._streaming = False
        if camera._handle:
            self._lib.Quelix_StopPreview(camera._handle)
            camera._drain_errors()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_open", False):
            self.close()


def _filter_property(name, parameter_id):
    def getter(self):
        return self.get_filter(parameter_id)

    def setter(self, value):
        self.set_filter(parameter_id, value)

    doc = f"The {name.replace('_', ' ')} value (parameter id {parameter_id})."
    return property(getter, None if name in _READ_ONLY_FILTERS else setter, doc=doc)


for _name, _id in FILTER_IDS.items():
    setattr(Camera, _name, _filter_property(_name, _id))
