# SPDX-License-Identifier: MIT
"""Saving images, recording AVI files and calibration masks from Python."""
import os
import struct
import unittest
import zlib

import numpy as np

import support

MASK_FILE_BYTES = 491560


def png_chunks(path):
    with open(path, "rb") as file:
        data = file.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    chunks, at = {}, 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        chunks.setdefault(kind, b"")
        chunks[kind] += data[at + 8:at + 8 + length]
        at += 12 + length
    return chunks


def png_rows(chunks, height, row_bytes, pixel_bytes):
    """The image rows of a PNG without interlacing, its row filters undone."""
    data = zlib.decompress(chunks[b"IDAT"])
    rows, previous = [], bytearray(row_bytes)
    for y in range(height):
        kind = data[y * (row_bytes + 1)]
        row = bytearray(data[y * (row_bytes + 1) + 1:(y + 1) * (row_bytes + 1)])
        for x in range(row_bytes):
            a = row[x - pixel_bytes] if x >= pixel_bytes else 0
            b = previous[x]
            c = previous[x - pixel_bytes] if x >= pixel_bytes else 0
            if kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            else:
                predictor = (0, a, b, (a + b) // 2)[kind]
            row[x] = (row[x] + predictor) & 0xFF
        rows.append(bytes(row))
        previous = row
    return b"".join(rows)


class SaveTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "chart"}

    def test_arguments_are_checked_before_the_library(self):
        with self.assertRaises(ValueError):
            self.camera.save(os.path.join(self.directory, "frame.xyz"))
        with self.assertRaises(ValueError):
            self.camera.save(os.path.join(self.directory, "frame"), format="gif")

    def test_png_of_a_snapshot(self):
        self.camera.bits = 16
        self.camera.window = (0, 0, 64, 32)
        frame = self.camera.snapshot()
        path = os.path.join(self.directory, "frame.png")
        self.camera.save(path)
        chunks = png_chunks(path)
        width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
        self.assertEqual((width, height, depth, colour), (64, 32, 16, 0))
        # The samples, widened to 16 bits, most significant byte first.
        samples = np.frombuffer(png_rows(chunks, 32, 64 * 2, 2), dtype=">u2").reshape(32, 64)
        np.testing.assert_array_equal(samples, frame.astype(np.uint32) << 2)

    def test_every_format_and_failures(self):
        self.camera.bits = 8
        self.camera.snapshot()
        for name in ("bmp", "raw", "jpeg", "jpeg70", "jpeg20", "png", "tiff"):
            path = os.path.join(self.directory, "frame." + name)
            self.camera.save(path, format=name)
            self.assertGreater(os.path.getsize(path), 0, name)
        self.assertEqual(os.path.getsize(os.path.join(self.directory, "frame.raw")), 320 * 256)
        error = self.assertRaisesCode(0, self.camera.save, os.path.join(self.directory, "x.png"), 7)
        self.assertEqual(error.function, "Quelix_SaveImage")
        self.assertFalse(os.path.exists(os.path.join(self.directory, "x.png")))
        with self.assertRaises(Exception):
            self.camera.save(os.path.join(self.directory, "no-such-dir", "frame.png"))


class RecordTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "moving"}

    def test_refused_while_frames_run(self):
        with self.camera.frames() as frames:
            next(frames)
            with self.assertRaises(RuntimeError):
                self.camera.record(os.path.join(self.directory, "clip.avi"), 1)
        with self.assertRaises(ValueError):
            self.camera.record(os.path.join(self.directory, "clip.avi"), -1)

    def test_one_second_clip(self):
        self.camera.bits = 8
        self.camera.window = (0, 0, 64, 48)
        path = os.path.join(self.directory, "clip.avi")
        self.camera.record(path, 1)
        with open(path, "rb") as file:
            header = file.read(232)
        self.assertEqual((header[:4], header[8:12], header[228:232]), (b"RIFF", b"AVI ", b"movi"))
        frames, width, height = struct.unpack_from("<I", header, 48)[0], *struct.unpack_from("<ii", header, 64)
        self.assertEqual((width, height), (64, 48))
        self.assertGreater(frames, 2)
        self.assertEqual(os.path.getsize(path), 232 + frames * (8 + 64 * 3 * 48) + 8 + 16 * frames)
        # The preview the recording ran on has stopped: a snapshot runs.
        self.camera.snapshot()

    def test_unwritable_path(self):
        self.assertRaisesCode(12, self.camera.record, os.path.join(self.directory, "none", "clip.avi"), 1)


class MaskTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "dark"}

    def test_bad_reference_name(self):
        with self.assertRaises(ValueError):
            self.camera.update_mask("grey")

    def test_calibrate_save_and_load(self):
        path = os.path.join(self.directory, "camera.msk")
        self.camera.bits = 16
        self.camera.snapshot()
        self.camera.update_mask("dark")
        self.simulation.scene("flat")
        try:
            self.camera.snapshot()
            self.camera.update_mask(1)
        finally:
            self.simulation.scene("dark")
        self.camera.save_masks(path)
        with open(path, "rb") as file:
            data = file.read()
        self.assertEqual(len(data), MASK_FILE_BYTES)
        self.assertEqual(data[:16], b"KORVEX MASK1000\0")
        dark16 = np.frombuffer(data, dtype="<u2", count=320 * 256, offset=163880)
        bright16 = np.frombuffer(data, dtype="<u2", count=320 * 256, offset=327720)
        self.assertLess(float(dark16.mean()), float(bright16.mean()))
        self.camera.load_masks(path)
        self.camera.mask_filter = 1

    def test_failures_carry_their_codes(self):
        self.camera.snapshot()
        self.assertRaisesCode(12, self.camera.update_mask, 2)
        bad = os.path.join(self.directory, "bad.msk")
        with open(bad, "wb") as file:
            file.write(b"KORVEX MASK1000\0" + bytes(100))
        self.assertRaisesCode(14, self.camera.load_masks, bad)
        self.assertRaisesCode(14, self.camera.load_masks, os.path.join(self.directory, "missing.msk"))


if __name__ == "__main__":
    unittest.main()
