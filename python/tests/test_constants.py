# SPDX-License-Identifier: MIT
"""The package's constants and records against the public C header: the
same names with the same values, error meanings as the header words them,
and the same record layouts."""
import ctypes
import re
import unittest

import support
import quelix
from quelix import _library, constants, frames
from quelix.camera import _PROPERTY_NAMES

_DEFINE = re.compile(r"^#define\s+(QUELIX_\w+)(.*)$", re.MULTILINE)
_NUMBER = re.compile(r"^\s+(0x[0-9A-Fa-f]+|\d+)u?\s*(?:/\*\*<\s*(.*?)\s*\*/)?\s*$")
_C_TYPES = {
    "int32_t": ctypes.c_int32,
    "uint32_t": ctypes.c_uint32,
    "uint8_t*": ctypes.c_void_p,
    "uintptr_t": ctypes.c_size_t,
    "intptr_t": ctypes.c_ssize_t,
    "QUELIX_HWND": ctypes.c_void_p,
}


def header_constants(text):
    """name -> (value, trailing doc text or None) of every numeric #define."""
    found = {}
    for name, rest in _DEFINE.findall(text):
        if rest.startswith("("):
            continue  # a function-like macro
        number = _NUMBER.match(rest)
        if number is None:
            raise AssertionError(f"{name}: not a number the test can read: {rest.strip()!r}")
        found[name] = (int(number.group(1), 0), number.group(2))
    return found


def package_constants():
    """Every constant of quelix.constants under the header's name."""
    named = {}
    for code, (name, _) in constants.ERRORS.items():
        named[f"QUELIX_ERR_{name}"] = code
    tables = {
        "WM_": constants.MESSAGES,
        "ROWS_": constants.ROW_ORDERS,
        "COLOR_": constants.COLOR_MODES,
        "REPORTED_": constants.REPORTED_BITS,
        "AUTO_IRIS_": constants.AUTO_IRIS_MODES,
        "GRAY_MODE_": constants.GRAY_MODES,
        "FILTER_": constants.FILTER_IDS,
        "IMAGE_": constants.IMAGE_FORMATS,
        "MASK_": constants.MASK_REFERENCES,
    }
    for prefix, table in tables.items():
        for key, value in table.items():
            named[f"QUELIX_{prefix}{key.upper()}"] = value
    for name, value in vars(constants).items():
        if name.isupper() and isinstance(value, int):
            named[f"QUELIX_{name}"] = value
    return named


def header_struct(text, name):
    """[(field, ctypes type)] of a typedef struct of the header."""
    body = re.search(rf"typedef struct {name} \{{(.*?)\}} {name};", text, re.DOTALL)
    if body is None:
        raise AssertionError(f"no struct {name} in the header")
    fields = re.findall(r"^\s*([\w ]+?\**)\s*(\w+);", re.sub(r"/\*.*?\*/", "", body.group(1), flags=re.DOTALL),
                        re.MULTILINE)
    return [(field, _C_TYPES[kind.replace(" ", "")]) for kind, field in fields]


class HeaderConstantsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.header = support.public_header().read_text()
        cls.defines = header_constants(cls.header)

    def test_every_constant_has_the_same_name_and_value(self):
        self.maxDiff = None
        from_header = {name: value for name, (value, _) in self.defines.items()}
        self.assertEqual(package_constants(), from_header)

    def test_error_meanings_are_the_headers(self):
        for code, (name, meaning) in constants.ERRORS.items():
            with self.subTest(name=name):
                self.assertEqual(meaning, self.defines[f"QUELIX_ERR_{name}"][1])
                self.assertEqual((quelix.ERROR_NAMES[code], quelix.QuelixError(code, "f").name), (name, name))
                self.assertIn(meaning, str(quelix.QuelixError(code, "f")))

    def test_records_have_the_headers_layout(self):
        self.assertEqual(header_struct(self.header, "QUELIX_FRAME_INFO"), _library.FrameInfo._fields_)
        self.assertEqual(ctypes.sizeof(_library.FrameInfo), 32)
        platform = support.public_header("QuelixPlatform.h").read_text()
        self.assertEqual(header_struct(platform, "QUELIX_MSG"), _library.Message._fields_)

    def test_row_size_follows_the_headers_stride(self):
        body = re.search(r"^#define QUELIX_STRIDE\(width, bits\) (.*)$", self.header, re.MULTILINE).group(1)
        # Integer division in C on non-negative values is Python's floor division.
        stride = eval("lambda width, bits: " + body.replace("/", "//"))
        for bits in constants.COLOR_MODES.values():
            for width in (1, 2, 3, 4, 5, 7, 159, 318, 319, 320):
                self.assertEqual(frames.stride(width, bits), stride(width, bits), (width, bits))

    def test_every_parameter_id_is_a_camera_property(self):
        for name, parameter_id in constants.FILTER_IDS.items():
            prop = getattr(quelix.Camera, _PROPERTY_NAMES.get(name, name))
            self.assertIsInstance(prop, property)
            self.assertIn(f"parameter id {parameter_id}", prop.__doc__)
        self.assertIsNone(quelix.Camera.temperature.fset)

    def test_colour_modes_map_reported_bits_to_modes(self):
        self.assertEqual(frames.MODE_BY_SIGNIFICANT_BITS, {8: 8, 14: 16, 24: 24, 32: 32, 46: 48, 62: 64})
        self.assertEqual(sorted(frames.PIXEL_FORMATS), sorted(constants.COLOR_MODES.values()))


if __name__ == "__main__":
    unittest.main()
