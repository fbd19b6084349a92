# SPDX-License-Identifier: MIT
"""The Quelix 205KWMX camera from Python: ctypes over the camera library,
frames as numpy arrays.

    import quelix
    with quelix.simulate(), quelix.Camera(0) as camera:
        camera.bits = 16
        frame = camera.snapshot()
        print(frame.shape, frame.mean())
"""
from . import constants
from ._library import load as _load
from .camera import Camera
from .constants import FILTER_IDS, IMAGE_FORMATS
from .errors import ERROR_NAMES, ClosedError, QuelixError, UnavailableError
from .frames import Frame, FrameRecord
from .simulate import Simulation, simulate

__all__ = [
    "Camera",
    "ClosedError",
    "ERROR_NAMES",
    "FILTER_IDS",
    "Frame",
    "FrameRecord",
    "IMAGE_FORMATS",
    "QuelixError",
    "Simulation",
    "UnavailableError",
    "constants",
    "has_function",
    "library_path",
    "simulate",
    "version",
]


def version():
    """The library's version number (Quelix_GetDllVersion)."""
    return _load().Quelix_GetDllVersion()


def library_path():
    """The path of the loaded camera library."""
    return _load().path


def has_function(name):
    """Whether the loaded library provides the C function `name`."""
    return _load().has(name)
