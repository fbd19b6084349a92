# SPDX-License-Identifier: MIT
"""The camera: properties, frames, snapshots and triggered frames against a
simulated camera."""
import time
import unittest

import numpy as np

import support
import quelix

# Bits per pixel -> (sample type, shape after height and width).
LAYOUTS = {8: (np.uint8, ()), 16: (np.uint16, ()), 24: (np.uint8, (3,)), 32: (np.uint8, (4,)),
           48: (np.uint16, (3,)), 64: (np.uint16, (4,))}


class PropertyTest(support.SimulatedCameraTest):
    def test_settings_read_back(self):
        camera = self.camera
        self.assertEqual(camera.name, "Quelix205KWMX_01")
        camera.bits = 24
        self.assertEqual(camera.bits, 24)
        camera.exposure_us = 2000
        self.assertGreater(camera.exposure_us, 0)
        camera.mirror_h, camera.mirror_v = True, False
        self.assertEqual((camera.mirror_h, camera.mirror_v), (True, False))
        camera.auto_exposure = 1
        self.assertEqual(camera.auto_exposure, 1)
        camera.wait_time_ms = 0
        self.assertEqual(camera.wait_time_ms, 0)
        camera.brightness = 40
        camera.gamma = 12
        self.assertEqual((camera.brightness, camera.gamma), (40, 12))
        with self.assertRaises(AttributeError):
            camera.temperature = 3

    def test_window_takes_even_steps(self):
        self.camera.window = (10, 20, 100, 60)
        self.assertEqual(self.camera.window, (10, 20, 100, 60))
        self.assertEqual((self.camera.width, self.camera.height), (100, 60))
        self.camera.window = (11, 21, 7, 5)
        self.assertEqual(self.camera.window, (10, 20, 6, 4))

    def test_refusals_raise_with_the_code(self):
        camera = self.camera
        camera.bits = 8
        # Each failure carries the codes of its own call only.
        self.assertEqual(self.assertRaisesCode(9, setattr, camera, "bits", 12).history, (9,))
        self.assertRaisesCode(9, setattr, camera, "exposure_us", -5)
        self.assertEqual(self.assertRaisesCode(7, setattr, camera, "window", (300, 0, 40, 10)).history, (7,))
        self.assertRaisesCode(0, setattr, camera, "wait_time_ms", -1)  # refused without a code
        self.assertRaisesCode(9, camera.get_filter, 99)
        self.assertEqual(camera.bits, 8)
        self.assertRaisesCode(7, setattr, camera, "window", (0, 0, 2, 2))

    def test_no_trigger_pulse_times_out(self):
        frames = self.camera.trigger(timeout_s=0.3)
        self.assertRaisesCode(13, next, frames)
        self.camera.snapshot()

    def test_trigger_waits_the_default_time_out(self):
        start = time.monotonic()
        self.assertRaisesCode(13, next, self.camera.trigger())
        waited = time.monotonic() - start
        self.assertGreater(waited, quelix.camera.TRIGGER_TIMEOUT_S - 0.2)
        self.assertLess(waited, quelix.camera.TRIGGER_TIMEOUT_S + 2)
        self.camera.snapshot()

    def test_closed_camera(self):
        with self.assertRaises(ValueError):
            quelix.Camera(0, ring=1)
        with quelix.Camera(0) as camera:
            self.assertFalse(camera.closed)
        self.assertTrue(camera.closed)
        camera.close()
        with self.assertRaises(ValueError):
            camera.bits


class FrameTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "chart"}

    def test_shapes_and_types_of_every_colour_mode(self):
        self.camera.window = (0, 0, 6, 4)  # 6 x 1 bytes is padded to 8 at 8 bits
        for bits, (dtype, channels) in LAYOUTS.items():
            with self.subTest(bits=bits):
                self.camera.bits = bits
                frames = list(self.camera.frames(3))
                self.assertEqual(len(frames), 3)
                for frame in frames:
                    self.assertIsInstance(frame, quelix.Frame)
                    self.assertEqual(frame.shape, (4, 6) + channels)
                    self.assertEqual(frame.dtype, dtype)
                    self.assertEqual(frame.record.bits, bits)
                    self.assertEqual((frame.record.width, frame.record.height), (6, 4))
                snapshot = self.camera.snapshot()
                self.assertEqual((snapshot.shape, snapshot.dtype), ((4, 6) + channels, dtype))
                self.assertIsNone(snapshot.trailer)

    def test_samples_are_fourteen_bits(self):
        self.camera.bits = 16
        frame = self.camera.snapshot()
        self.assertLessEqual(int(frame.max()), 0x3FFF)
        self.assertGreater(float(frame.mean()), 0)
        self.camera.bits = 8
        eight = self.camera.snapshot()
        self.assertGreater(int(eight.max()), 128)  # the chart's bright disc

    def test_ring_buffers_are_reused_and_frames_stay_put(self):
        self.camera.bits = 16
        frames, kept, addresses = [], [], []
        for frame in self.camera.frames(8):
            frames.append(frame)
            kept.append(frame.copy())
            addresses.append(frame.__array_interface__["data"][0])
            # The frames of the ring before this one have not changed.
            for earlier, copy in list(zip(frames, kept))[-3:]:
                np.testing.assert_array_equal(earlier, copy)
        self.assertEqual(len(set(addresses)), 4)
        self.assertEqual(addresses[:4], addresses[4:])

    def test_breaking_out_stops_the_preview(self):
        self.camera.bits = 16
        self.assertEqual(list(self.camera.frames(0)), [])
        for count, frame in enumerate(self.camera.frames()):
            if count == 2:
                break
        # A stopped preview lets a snapshot run.
        self.assertEqual(self.camera.snapshot().shape, (256, 320))

    def test_snapshot_refused_while_frames_run(self):
        frames = self.camera.frames()
        next(frames)
        self.assertRaisesCode(1, self.camera.snapshot)
        with self.assertRaises(RuntimeError):
            next(self.camera.frames())
        frames.close()
        self.camera.snapshot()


class CounterFrameTest(support.SimulatedCameraTest):
    """The counter scene: every sample follows from the frame's trailer."""

    simulation_options = {"fast": True, "scene": "counter"}

    @staticmethod
    def expected(trailer, shape):
        return ((trailer * 7919 + np.arange(shape[0] * shape[1])) & 0x3FFF).reshape(shape)

    def test_each_frame_matches_its_trailer(self):
        self.camera.bits = 16
        previous = None
        for frame in self.camera.frames(30):
            np.testing.assert_array_equal(frame, self.expected(frame.trailer, frame.shape))
            if previous is not None:
                self.assertNotEqual(frame.trailer, previous)
            previous = frame.trailer

    def test_a_slow_loop_gets_the_newest_frames_whole(self):
        self.camera.bits = 16
        self.camera.wait_time_ms = 0
        trailers = []
        for frame in self.camera.frames(10):
            time.sleep(0.03)
            np.testing.assert_array_equal(frame, self.expected(frame.trailer, frame.shape))
            trailers.append(frame.trailer)
        self.assertEqual(len(set(trailers)), 10)


class TriggerTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "counter", "trigger_every_ms": 40}

    def test_one_frame_per_pulse(self):
        self.camera.bits = 16
        with self.camera.trigger(3, timeout_s=10) as frames:
            trailers = []
            for frame in frames:
                self.assertEqual(frame.record.fps, 0)
                np.testing.assert_array_equal(frame, CounterFrameTest.expected(frame.trailer, frame.shape))
                trailers.append(frame.trailer)
        self.assertEqual(len(set(trailers)), 3)
        # Trigger mode has ended: a snapshot runs.
        self.camera.snapshot()

    def test_a_lost_camera_raises(self):
        self.camera.bits = 16
        frames = self.camera.trigger(timeout_s=30)
        next(frames)
        self.simulation.control("unplug", 0)
        try:
            start = time.monotonic()
            with self.assertRaises(quelix.QuelixError) as caught:
                for _ in frames:  # frames already on their way still arrive
                    pass
            # Told by the library, long before the time-out.
            self.assertLess(time.monotonic() - start, 10)
            error = caught.exception
            self.assertEqual((error.name, error.function), ("WAIT_FRAME", "Quelix_Trigger"))
        finally:
            self.simulation.control("plug", 0)
        # Plugged in again, the camera gives triggered frames.
        with self.camera.trigger(2, timeout_s=10) as frames:
            self.assertEqual(len(list(frames)), 2)


class UnpluggedTest(support.SimulatedCameraTest):
    def test_frames_raise_when_the_camera_goes(self):
        frames = self.camera.frames(timeout_s=10)
        next(frames)
        self.simulation.control("unplug", 0)
        try:
            with self.assertRaises(quelix.QuelixError) as caught:
                for _ in frames:
                    pass
            self.assertIn(caught.exception.name, ("READ_FRAME", "WAIT_FRAME"))
        finally:
            self.simulation.control("plug", 0)


if __name__ == "__main__":
    unittest.main()
