# SPDX-License-Identifier: MIT
"""QuelixError: every failed call of the camera library raises it."""

from .constants import ERRORS

# The library's error codes with the names and meanings its C header gives them.
ERROR_NAMES = {code: name for code, (name, _) in ERRORS.items()}
ERROR_MEANINGS = {code: meaning for code, (_, meaning) in ERRORS.items()}


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
