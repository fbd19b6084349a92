"""QuelixError: every failed call of the camera library raises it."""

# The library's error codes, with the names its C header gives them.
ERROR_NAMES = {
    1: "NOT_INITIALIZED",
    2: "NO_DEVICE",
    3: "THREAD",
    4: "WINDOW",
    5: "OBJECTS",
    6: "REGISTER",
    7: "WINDOW_INVALID",
    8: "READ_FRAME",
    9: "ARGUMENT",
    11: "NOT_SUPPORTED",
    12: "FILE",
    13: "WAIT_FRAME",
    14: "MASK_FILE",
}

ERROR_MEANINGS = {
    1: "no device object, or not allowed in the current capture mode",
    2: "device absent, cannot be opened, or claimed by another owner",
    3: "a capture thread or its event could not be created",
    4: "window could not be made, or no stored size preset matches",
    5: "objects could not be made, or an image could not be delivered",
    6: "register access failed, or the transfer could not be started",
    7: "capture window or subsample invalid",
    8: "a frame could not be read, or a preview could not start",
    9: "argument out of range, null output pointer, or unknown id",
    11: "not supported by this camera",
    12: "path conversion, mask value or record file failure",
    13: "waiting for a frame failed or timed out",
    14: "mask file cannot be opened, or its header or size is wrong",
}


class QuelixError(Exception):
    """A call of the camera library failed.

    code: the library's error code (0 when the call failed without recording
    one, None when the library lacks the function): the first code the
    failed call recorded, its cause; name: its name ("ARGUMENT",
    "NO_DEVICE", ...); function: the C function that failed; history: every
    code the call recorded, oldest first (a failed open, say, records 5
    where its objects could not be made and then 1 for the device number it
    could not set).
    """

    def __init__(self, code, function, detail=None, history=()):
        self.code = code
        self.name = error_name(code)
        self.function = function
        self.history = tuple(history)
        meaning = detail or ERROR_MEANINGS.get(code, "failed without an error code")
        message = f"{function}: error {code} ({self.name}): {meaning}"
        if len(self.history) > 1:
            message += f" (recorded, oldest first: {', '.join(map(str, self.history))})"
        super().__init__(message)


class UnavailableError(QuelixError):
    """The loaded library does not export the function a call needs."""

    def __init__(self, function):
        super().__init__(None, function, "the loaded camera library does not provide this function")


class ClosedError(ValueError):
    """The camera is closed, or was closed by another thread while the call
    waited for it."""


def error_name(code):
    if code is None:
        return "UNAVAILABLE"
    if code == 0:
        return "FAILED"
    return ERROR_NAMES.get(code, f"ERROR_{code}")
