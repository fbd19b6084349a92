# SPDX-License-Identifier: MIT
"""What the binding's tests share: a private environment (registry file,
shared device table, no display) and a simulated camera per test class."""
import atexit
import os
import pathlib
import tempfile
import unittest

import quelix

_directory = tempfile.TemporaryDirectory(prefix="quelix-python-test-")
os.environ["QUELIX_SHM_NAME"] = f"quelix-python-test-{os.getpid()}"
os.environ["QUELIX_REGISTRY"] = os.path.join(_directory.name, "registry.reg")
os.environ.pop("DISPLAY", None)


def remove_shared_table():
    try:
        os.unlink(f"/dev/shm/{os.environ['QUELIX_SHM_NAME']}-{os.geteuid()}")
    except FileNotFoundError:
        pass


atexit.register(remove_shared_table)


def public_header(name="QuelixSdk_205KWMX.h"):
    """The public C header that goes with the imported package: the one in
    the directory of $QUELIX_PUBLIC_HEADER when that is set, else the one
    installed with the package (PREFIX/include/quelix beside
    PREFIX/lib/python3/dist-packages/quelix), else the checkout's include/."""
    named = os.environ.get("QUELIX_PUBLIC_HEADER")
    if named:
        return pathlib.Path(named).parent / name
    package = pathlib.Path(quelix.__file__).resolve().parent
    candidates = [package.parents[3] / "include" / "quelix" / name, package.parent.parent / "include" / name]
    for candidate in candidates:
        if candidate.is_file():
            return candidate
    raise FileNotFoundError(f"no {name} beside the quelix package: " + ", ".join(map(str, candidates)))


class SimulatedCameraTest(unittest.TestCase):
    """A simulated camera 0 (fast, flat scene unless a class says otherwise)
    for the tests of a class, and a fresh temporary directory per test."""

    simulation_options = {"fast": True}

    @classmethod
    def setUpClass(cls):
        cls.simulation = quelix.simulate(**cls.simulation_options)
        cls.simulation.start()

    @classmethod
    def tearDownClass(cls):
        cls.simulation.stop()
        remove_shared_table()

    def setUp(self):
        temporary = tempfile.TemporaryDirectory(prefix="quelix-test-")
        self.addCleanup(temporary.cleanup)
        self.directory = temporary.name
        # Camera settings persist: each test starts from the defaults.
        os.environ["QUELIX_REGISTRY"] = os.path.join(self.directory, "registry.reg")
        self.camera = quelix.Camera(0)
        self.addCleanup(self.camera.close)

    def assertRaisesCode(self, code, function, *args):
        with self.assertRaises(quelix.QuelixError) as caught:
            function(*args)
        self.assertEqual(caught.exception.code, code, str(caught.exception))
        self.assertEqual(caught.exception.name, quelix.ERROR_NAMES.get(code, "FAILED"))
        return caught.exception
