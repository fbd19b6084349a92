# SPDX-License-Identifier: MIT
"""quelix.simulate: simulated cameras for the life of a `with` block."""
import os
import pathlib
import shutil
import subprocess
import tempfile

from . import _library

CAMSIM = "quelix-camsim"


def find_camsim():
    """The quelix-camsim program: $QUELIX_CAMSIM; beside the loaded library
    in an installed tree (PREFIX/bin) or a build tree (BUILD/sim); on PATH."""
    explicit = os.environ.get("QUELIX_CAMSIM")
    if explicit:
        return explicit
    libdir = pathlib.Path(_library.load().path).resolve().parent
    for candidate in (
        libdir.parent / "bin" / CAMSIM,
        libdir.parent.parent / "bin" / CAMSIM,
        libdir.parent / "sim" / CAMSIM,
    ):
        if os.access(candidate, os.X_OK):
            return str(candidate)
    found = shutil.which(CAMSIM)
    if found is None:
        raise FileNotFoundError(f"{CAMSIM} not found: set QUELIX_CAMSIM to its path")
    return found


class Simulation:
    """Simulated cameras served by quelix-camsim in a directory of their own.

    While it runs the library finds its cameras there ($QUELIX_DEVICE_DIR),
    and camera settings go to a registry file of their own
    ($QUELIX_REGISTRY), so the settings of a real camera stay untouched;
    both variables are restored afterwards.

        with quelix.simulate(scene="chart"), quelix.Camera(0) as camera:
            frame = camera.snapshot()
    """

    def __init__(self, cameras=(0,), scene=None, fast=False, seed=None, noise=True,
                 trigger_every_ms=None, keep_settings=False, start_timeout_s=10.0):
        self.cameras = tuple(int(c) for c in cameras)
        if not self.cameras:
            raise ValueError("simulate() needs at least one device number")
        self._options = []
        if scene is not None:
            self._options += ["--scene", str(scene)]
        if fast:
            self._options.append("--fast")
        if seed is not None:
            self._options += ["--seed", str(int(seed))]
        if not noise:
            self._options.append("--no-noise")
        if trigger_every_ms is not None:
            self._options += ["--trigger-every", str(int(trigger_every_ms))]
        self._keep_settings = keep_settings
        self._start_timeout_s = start_timeout_s
        self._process = None
        self._directory = None
        self._saved_environment = {}
        self.program = None

    def start(self):
        self.program = find_camsim()
        self._directory = tempfile.mkdtemp(prefix="quelix-sim-")
        command = [self.program, "--dir", self._directory, "--cameras", ",".join(map(str, self.cameras))]
        self._process = subprocess.Popen(
            command + self._options, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True
        )
        if not self._wait_ready():
            error = self._stop_process()
            self._remove_directory()
            raise RuntimeError(f"{CAMSIM} did not start: {error.strip() or 'no ready line'}")
        variables = {"QUELIX_DEVICE_DIR": self._directory}
        if not self._keep_settings:
            variables["QUELIX_REGISTRY"] = os.path.join(self._directory, "registry.reg")
        for name, value in variables.items():
            self._saved_environment[name] = os.environ.get(name)
            os.environ[name] = value
        return self

    def _wait_ready(self):
        import selectors

        with selectors.DefaultSelector() as selector:
            selector.register(self._process.stdout, selectors.EVENT_READ)
            if not selector.select(self._start_timeout_s):
                return False
            return self._process.stdout.readline().strip() == "ready"

    def control(self, *command):
        """Sends one control command (`quelix-camsim ctl`): for example
        control("scene", 0, "dark"), control("trigger", 0), control("unplug", 0)."""
        result = subprocess.run(
            [self.program, "ctl", "--dir", self._directory, *map(str, command)],
            capture_output=True, text=True,
        )
        if result.returncode != 0:
            raise RuntimeError(f"{CAMSIM} ctl {' '.join(map(str, command))}: {result.stderr.strip()}")

    def trigger(self, device=None):
        """One pulse on the camera's trigger input."""
        self.control("trigger", self.cameras[0] if device is None else device)

    def scene(self, name, device=None):
        """Points the camera at another scene: dark, flat, chart, moving, counter."""
        self.control("scene", self.cameras[0] if device is None else device, name)

    @property
    def directory(self):
        return self._directory

    def _stop_process(self):
        if self._process is None:
            return ""
        self._process.terminate()
        try:
            _, error = self._process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            _, error = self._process.communicate()
        self._process = None
        return error or ""

    def _remove_directory(self):
        if self._directory is not None:
            shutil.rmtree(self._directory, ignore_errors=True)

    def stop(self):
        for name, value in self._saved_environment.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value
        self._saved_environment = {}
        self._stop_process()
        self._remove_directory()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def simulate(cameras=(0,), **options):
    """Simulated cameras for a `with` block; see Simulation."""
    return Simulation(cameras, **options)
