# SPDX-License-Identifier: MIT
"""The named constants of the camera library's C header (QuelixSdk_205KWMX.h),
in one place for the whole package. Each name here is the header's without
its QUELIX_ prefix (a table's keys are the rest of the name in lower case);
the package's tests check both against the header.
"""

DLL_VERSION = 8258836
ERROR_HISTORY = 20

# Error codes: code -> (name, meaning).
ERRORS = {
    1: ("NOT_INITIALIZED", "no device object or no frame, or wrong capture mode"),
    2: ("NO_DEVICE", "device absent, cannot be opened, or claimed by another owner"),
    3: ("THREAD", "a capture or record thread could not be started"),
    4: ("WINDOW", "preview window cannot be made, or no stored size preset matches"),
    5: ("OBJECTS", "objects could not be made, or an image could not be delivered"),
    6: ("REGISTER", "register access failed, or the transfer could not be started"),
    7: ("WINDOW_INVALID", "capture window or subsample invalid"),
    8: ("READ_FRAME", "a frame could not be read, or a preview could not start"),
    9: ("ARGUMENT", "argument out of range, null pointer, or unknown id"),
    11: ("NOT_SUPPORTED", "not supported by this camera"),
    12: ("FILE", "path conversion, mask value or record file failure"),
    13: ("WAIT_FRAME", "waiting for a frame failed or timed out"),
    14: ("MASK_FILE", "mask file cannot be opened, or its header or size is wrong"),
}

# Messages the library posts (QUELIX_WM_FRAME, QUELIX_WM_ERROR).
MESSAGES = {"frame": 0x8002, "error": 0x8003}

# Row orders of the calls that copy frames (QUELIX_ROWS_*).
ROW_ORDERS = {"bottom_up": 0, "top_down": 1}

SENSOR_WIDTH = 320
SENSOR_HEIGHT = 256
WINDOW_MIN_WIDTH = 4
WINDOW_MIN_HEIGHT = 4
SAMPLE_MAX = 0x3FFF
EXPOSURE_MAX_LINES = 32767

# Bits per pixel of Quelix_SetColorMode (QUELIX_COLOR_*), and what
# Quelix_GetColorMode reports for each (QUELIX_REPORTED_*).
COLOR_MODES = {"gray8": 8, "gray16": 16, "bgr24": 24, "bgrx32": 32, "bgr48": 48, "bgrx64": 64}
REPORTED_BITS = {"gray8": 8, "gray16": 14, "bgr24": 24, "bgrx32": 32, "bgr48": 46, "bgrx64": 62}

# Automatic exposure modes (QUELIX_AUTO_IRIS_*) and gray modes (QUELIX_GRAY_MODE_*).
AUTO_IRIS_MODES = {"off": 0, "on": 1, "measure": 2}
GRAY_MODES = {"off": 0, "balance": 1, "luminance": 2}

# Parameter ids of Quelix_SetFilterValue and Quelix_GetFilterValue (QUELIX_FILTER_*).
FILTER_IDS = {
    "brightness": 1,
    "contrast": 2,
    "hue": 3,
    "saturation": 4,
    "sharpness": 5,
    "bayer_gain_rgb": 6,
    "bayer_gain_red": 7,
    "bayer_gain_green": 8,
    "bayer_gain_blue": 9,
    "bayer_gain_auto": 10,
    "gamma": 11,
    "bayer_mode": 12,
    "global_gain": 13,
    "color_gain_red": 14,
    "color_gain_green1": 15,
    "color_gain_green2": 16,
    "color_gain_blue": 17,
    "exposure_time": 18,
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

MAX_DEVICES = 8
DEVICE_LIST_ENTRIES = 10
DEVICE_NAME_SIZE = 256
DEVICE_NAME_MIN_BUFFER = 17

# Formats of Quelix_SaveImage (QUELIX_IMAGE_*).
IMAGE_FORMATS = {"bmp": 0, "raw": 1, "jpeg100": 2, "jpeg70": 3, "jpeg20": 4, "png": 5, "tiff": 6}

# The references of Quelix_UpdateMaskData (QUELIX_MASK_DARK, QUELIX_MASK_BRIGHT).
MASK_REFERENCES = {"dark": 0, "bright": 1}
MASK_FILE_SIZE = 491560
