# SPDX-License-Identifier: MIT
"""The loader, errors, and what needs no camera."""
import os
import re
import subprocess
import sys
import unittest

import support  # noqa: F401  (private environment)
import quelix


class LoaderTest(unittest.TestCase):
    def test_version_and_path(self):
        self.assertEqual(quelix.version(), 8258836)
        self.assertTrue(os.path.exists(quelix.library_path()))

    def run_python(self, code, **environment):
        return subprocess.run(
            [sys.executable, "-c", code], capture_output=True, text=True, env={**os.environ, **environment}
        )

    def test_library_named_by_the_environment(self):
        result = self.run_python("import quelix; print(quelix.library_path())",
                                 QUELIX_LIBRARY=quelix.library_path())
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.strip(), quelix.library_path())

    def test_missing_library_says_how_to_name_it(self):
        result = self.run_python("import quelix; quelix.version()", QUELIX_LIBRARY="/nonexistent/libQuelix.so")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("QUELIX_LIBRARY", result.stderr)
        self.assertIn("/nonexistent/libQuelix.so", result.stderr)

    def test_unknown_function_is_unavailable(self):
        self.assertFalse(quelix.has_function("Quelix_NoSuchFunction"))
        self.assertTrue(quelix.has_function("Quelix_SnapShot"))

    def test_every_function_of_the_header_is_exported(self):
        header = support.public_header().read_text()
        declared = set(re.findall(r"^QUELIX_API\b[^(]*?\b(Quelix_\w+)\(", header, re.MULTILINE))
        self.assertEqual(len(declared), 147)
        self.assertEqual(sorted(name for name in declared if not quelix.has_function(name)), [])


class ErrorTest(unittest.TestCase):
    def test_code_and_name(self):
        error = quelix.QuelixError(9, "Quelix_SetColorMode")
        self.assertEqual((error.code, error.name, error.function), (9, "ARGUMENT", "Quelix_SetColorMode"))
        self.assertIn("error 9 (ARGUMENT)", str(error))
        self.assertEqual(quelix.QuelixError(0, "Quelix_SaveImage").name, "FAILED")
        self.assertEqual(quelix.QuelixError(10, "x").name, "ERROR_10")
        unavailable = quelix.UnavailableError("Quelix_Record")
        self.assertIsInstance(unavailable, quelix.QuelixError)
        self.assertEqual((unavailable.code, unavailable.name), (None, "UNAVAILABLE"))
        opened = quelix.QuelixError(5, "Quelix_Initialize", history=[5, 1])
        self.assertEqual(opened.history, (5, 1))
        self.assertIn("error 5 (OBJECTS)", str(opened))
        self.assertIn("5, 1", str(opened))

    def test_no_camera_attached(self):
        with quelix.simulate(cameras=[3], fast=True):
            with self.assertRaises(quelix.QuelixError) as caught:
                quelix.Camera(0)
            self.assertEqual(caught.exception.name, "NO_DEVICE")
            self.assertEqual(caught.exception.function, "Quelix_SetDeviceNumber")
            self.assertEqual(caught.exception.history, (2,))
            quelix.Camera(3).close()
        support.remove_shared_table()

    def test_a_failed_open_reports_its_first_cause(self):
        # Without its shared device table (no such name can be made) the
        # camera object is not made (5); the device number then cannot be
        # set without it (1).
        saved = os.environ["QUELIX_SHM_NAME"]
        os.environ["QUELIX_SHM_NAME"] = "no/such/table"
        try:
            with self.assertRaises(quelix.QuelixError) as caught:
                quelix.Camera(0)
        finally:
            os.environ["QUELIX_SHM_NAME"] = saved
        error = caught.exception
        self.assertEqual((error.code, error.name, error.function), (5, "OBJECTS", "Quelix_Initialize"))
        self.assertEqual(error.history, (5, 1))


class SimulateTest(unittest.TestCase):
    def test_environment_is_restored_and_the_directory_removed(self):
        before = {name: os.environ.get(name) for name in ("QUELIX_DEVICE_DIR", "QUELIX_REGISTRY")}
        with quelix.simulate(cameras=(0, 2), fast=True) as simulation:
            directory = simulation.directory
            self.assertEqual(os.environ["QUELIX_DEVICE_DIR"], directory)
            self.assertTrue(os.path.exists(os.path.join(directory, "Qlix205KWMX-2")))
            self.assertTrue(os.environ["QUELIX_REGISTRY"].startswith(directory))
        self.assertFalse(os.path.exists(directory))
        self.assertEqual({name: os.environ.get(name) for name in before}, before)

    def test_bad_options_fail_to_start(self):
        before = os.environ.get("QUELIX_DEVICE_DIR")
        with self.assertRaises(RuntimeError):
            quelix.simulate(scene="no-such-scene").start()
        with self.assertRaises(ValueError):
            quelix.simulate(cameras=())
        self.assertEqual(os.environ.get("QUELIX_DEVICE_DIR"), before)


if __name__ == "__main__":
    unittest.main()
