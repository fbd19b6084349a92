# SPDX-License-Identifier: MIT
"""Finds and loads the camera library and declares the C functions used.

The library is found, in this order: the path in $QUELIX_LIBRARY (a build
tree's libQuelixSdk_205KWMX.so, say); the library installed with this
package (the lib directory above the package's site directory); the system
loader's search path.
"""
import ctypes
import os
import pathlib

LIBRARY_NAME = "libQuelixSdk_205KWMX.so.1"


class FrameInfo(ctypes.Structure):
    """The frame record a frame message points to (QUELIX_FRAME_INFO)."""

    _fields_ = [
        ("size", ctypes.c_int32),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("bitCount", ctypes.c_int32),
        ("fps10", ctypes.c_int32),
        ("reserved", ctypes.c_int32),
        ("data", ctypes.c_void_p),
    ]


class Message(ctypes.Structure):
    """A message taken from a message window (QUELIX_MSG)."""

    _fields_ = [
        ("hwnd", ctypes.c_void_p),
        ("message", ctypes.c_uint32),
        ("wParam", ctypes.c_size_t),
        ("lParam", ctypes.c_ssize_t),
        ("time", ctypes.c_uint32),
    ]


I32 = ctypes.c_int32
P_I32 = ctypes.POINTER(ctypes.c_int32)
HWND = ctypes.c_void_p
BUFFER = ctypes.c_void_p

# Argument types of the functions the package calls; all return int32.
_SIGNATURES = {
    "Quelix_Initialize": (HWND,),
    "Quelix_Release": (I32,),
    "Quelix_GetDllVersion": (),
    "Quelix_GetLastError": (I32,),
    "Quelix_SetDeviceNumber": (I32, I32),
    "Quelix_GetDeviceName": (I32, I32, ctypes.c_char_p, I32),
    "Quelix_SetColorMode": (I32, I32),
    "Quelix_GetColorMode": (I32,),
    "Quelix_Width": (I32,),
    "Quelix_Height": (I32,),
    "Quelix_SetCaptureWindowEx": (I32, I32, I32, I32, I32, I32, I32),
    "Quelix_GetCaptureWindowEx": (I32, P_I32, P_I32, P_I32, P_I32, P_I32, P_I32),
    "Quelix_SetRealExposureTime": (I32, I32),
    "Quelix_GetRealExposureTime": (I32, P_I32),
    "Quelix_SetMirrorH": (I32, I32),
    "Quelix_GetMirrorH": (I32,),
    "Quelix_SetMirrorV": (I32, I32),
    "Quelix_GetMirrorV": (I32,),
    "Quelix_SetAutoIris": (I32, I32),
    "Quelix_GetAutoIris": (I32, P_I32),
    "Quelix_SetWaitTime": (I32, I32),
    "Quelix_GetWaitTime": (I32,),
    "Quelix_SetFilterValue": (I32, I32, I32),
    "Quelix_GetFilterValue": (I32, I32, P_I32),
    "Quelix_CallBackPreview": (I32, HWND, BUFFER, I32, I32),
    "Quelix_Trigger": (I32, HWND, BUFFER, I32, I32),
    "Quelix_SnapShot": (I32, BUFFER, I32, I32),
    "Quelix_GetImage": (I32, BUFFER, I32, I32),
    "Quelix_StopPreview": (I32,),
    "Quelix_SaveImage": (I32, ctypes.c_char_p, I32),
    "Quelix_Record": (I32, ctypes.c_char_p, I32, I32),
    "Quelix_LoadMaskFile": (I32, ctypes.c_char_p),
    "Quelix_SaveMaskFile": (I32, ctypes.c_char_p),
    "Quelix_UpdateMaskData": (I32, I32),
    "QuelixPlatform_CreateMessageWindow": (),
    "QuelixPlatform_DestroyWindow": (HWND,),
    "QuelixPlatform_GetMessage": (HWND, ctypes.POINTER(Message), ctypes.c_int),
    "QuelixPlatform_PeekMessage": (HWND, ctypes.POINTER(Message)),
}
_RETURNS = {"QuelixPlatform_CreateMessageWindow": HWND}

_library = None


def candidates():
    """The paths tried, in order."""
    paths = []
    explicit = os.environ.get("QUELIX_LIBRARY")
    if explicit:
        return [explicit]
    here = pathlib.Path(__file__).resolve().parent
    # PREFIX/lib/python3/dist-packages/quelix -> PREFIX/lib
    libdir = here.parent.parent.parent
    paths.append(str(libdir / LIBRARY_NAME))
    paths.extend(str(p) for p in sorted(libdir.glob("*-linux-gnu*/" + LIBRARY_NAME)))
    paths.append(LIBRARY_NAME)
    return paths


class Library:
    """The loaded library: its C functions as attributes, declared on first use."""

    def __init__(self, cdll):
        self.cdll = cdll
        self.path = cdll._name

    def has(self, name):
        try:
            getattr(self.cdll, name)
            return True
        except AttributeError:
            return False

    def __getattr__(self, name):
        from .errors import UnavailableError

        try:
            function = getattr(self.cdll, name)
        except AttributeError:
            raise UnavailableError(name) from None
        function.argtypes = _SIGNATURES[name]
        function.restype = _RETURNS.get(name, ctypes.c_int32)
        setattr(self, name, function)
        return function


def load():
    """The camera library, loaded once per process."""
    global _library
    if _library is None:
        errors = []
        for path in candidates():
            if os.sep in path and not os.path.exists(path):
                errors.append(f"{path}: no such file")
                continue
            try:
                _library = Library(ctypes.CDLL(path))
                break
            except OSError as error:
                errors.append(str(error))
        else:
            raise OSError(
                "cannot load the Quelix camera library (set QUELIX_LIBRARY to its path): " + "; ".join(errors)
            )
    return _library
