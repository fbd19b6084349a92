# SPDX-License-Identifier: MIT
"""Frames as numpy arrays over the library's image memory."""
import collections

import numpy as np

from .constants import COLOR_MODES, REPORTED_BITS

# Bits per pixel -> (numpy sample type, samples per pixel). 16, 48 and 64 bits
# carry 14-bit samples; colour pixels are blue, green, red (and a fourth).
PIXEL_FORMATS = {
    8: (np.uint8, 1),
    16: (np.uint16, 1),
    24: (np.uint8, 3),
    32: (np.uint8, 4),
    48: (np.uint16, 3),
    64: (np.uint16, 4),
}

# Quelix_GetColorMode answers with the significant bits; these are the modes.
MODE_BY_SIGNIFICANT_BITS = {REPORTED_BITS[name]: bits for name, bits in COLOR_MODES.items()}

FrameRecord = collections.namedtuple("FrameRecord", "width height bits fps")
FrameRecord.__doc__ = "The frame record of a frame: size, bits per pixel, frames per second (0 when triggered)."


def stride(width, bits):
    """Bytes per row in the library's images: rows padded to 4 bytes."""
    return (width * bits // 8 + 3) & ~3


def frame_bytes(width, height, bits):
    return stride(width, bits) * height


def frame_view(memory, width, height, bits):
    """A view of an image in `memory` (uint8, rows top first, padded): H x W
    or H x W x channels, without the row padding."""
    dtype, channels = PIXEL_FORMATS[bits]
    itemsize = np.dtype(dtype).itemsize
    row = stride(width, bits)
    if channels == 1:
        shape, strides = (height, width), (row, itemsize)
    else:
        shape, strides = (height, width, channels), (row, channels * itemsize, itemsize)
    return np.ndarray(shape, dtype=dtype, buffer=memory, strides=strides)


class Frame(np.ndarray):
    """One frame: a numpy array with its frame record (`record`) and the
    camera's 16-bit frame counter (`trailer`; gaps are frames the camera made
    that did not reach the caller). Arrays derived from it keep neither."""

    record = None
    trailer = None

    def __array_finalize__(self, obj):
        self.record = None
        self.trailer = None

    def __array_wrap__(self, array, context=None, *args):
        # Reductions (mean, max) give plain numbers, not 0-d frames.
        if array.shape == ():
            return array[()]
        return super().__array_wrap__(array, context, *args)


def make_frame(view, record, trailer):
    frame = view.view(Frame)
    frame.record = record
    frame.trailer = trailer
    return frame
