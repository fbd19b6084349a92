#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""quelix-viewer driven through AT-SPI against simulated cameras.

Usage: viewer_window_test.py VIEWER CAMSIM

Each check finds the viewer's widgets by their role and accessible name, as
a screen reader does, acts on them through their actions, values and texts,
and reads the results back from the window, the files it wrote and the
library's registry file.
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi
from PIL import Image

VIEWER, CAMSIM = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix="quelix-viewer-test-")
os.environ["QUELIX_REGISTRY"] = os.path.join(WORK, "registry.reg")
os.environ["QUELIX_SHM_NAME"] = "quelix-viewer-test-%d" % os.getpid()
os.environ["QUELIX_DEVICE_DIR"] = os.path.join(WORK, "devices")
os.environ["LANG"] = "C.UTF-8"
os.environ.pop("LC_ALL", None)
os.environ.pop("LC_MESSAGES", None)


def wait_for(what, condition, timeout=20.0):
    """Polls condition() until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # the tree changes under us while widgets come and go
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for child in node:
        yield from walk(child, depth + 1)


def find(root, name=None, role=None, pattern=None):
    for node in walk(root):
        try:
            if role is not None and node.getRoleName() != role:
                continue
            if name is not None and node.name != name:
                continue
            if pattern is not None and not re.search(pattern, node.name or ""):
                continue
            return node
        except Exception:
            continue
    return None


def need(root, what, **criteria):
    return wait_for(what, lambda: find(root, **criteria))


def text_of(node):
    return node.queryText().getText(0, -1)


def click(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("click", "press", "activate", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def dump(root):
    for node in walk(root):
        try:
            print(node.getRoleName(), repr(node.name))
        except Exception:
            pass


STARTED = []  # every process the checks started, ended after each check


class Viewer:
    def __init__(self, *arguments, environment=None):
        self.log = open(os.path.join(WORK, "viewer.log"), "a")
        self.process = subprocess.Popen([VIEWER, *arguments], stdout=self.log, stderr=self.log,
                                        env=environment or os.environ)
        STARTED.append(self.process)
        self.app = wait_for("the viewer on the accessibility bus", self._find_app, timeout=60)
        self.frame = need(self.app, "the main window", role="frame", name="Quelix viewer")

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "quelix-viewer":
                try:
                    if app.get_process_id() == self.process.pid:
                        return app
                except Exception:
                    return app
        return None

    def label(self, name):
        return text_of(need(self.frame, name, role="label", name=name))

    def frames_seen(self):
        match = re.search(r"(\d+) / (\d+)", self.label("dropped frames"))
        return int(match.group(2)) if match else 0

    def host_fps(self):
        match = re.search(r"([0-9.]+) fps", self.label("host fps"))
        return float(match.group(1)) if match else 0.0

    def menu(self, *path):
        node = self.frame
        for name in path:
            node = need(node, name, name=name)
            click(node)
            time.sleep(0.2)

    def dialog(self, pattern):
        return wait_for("a window " + pattern, lambda: next(
            (w for w in self.app if w is not None and re.search(pattern, w.name or "")
             and w.getRoleName() in ("dialog", "file chooser", "frame")), None))

    def choose_file(self, title, path, button):
        chooser = self.dialog("^" + re.escape(title) + "$")
        # The first editable text is the file name (a chooser opened over
        # another modal window may not report it as showing).
        entry = wait_for("the file name entry", lambda: next(
            (n for n in walk(chooser) if n.getRoleName() == "text"
             and n.getState().contains(pyatspi.STATE_EDITABLE)
             and n.getState().contains(pyatspi.STATE_VISIBLE)), None))
        entry.queryEditableText().setTextContents(path)
        time.sleep(0.2)
        click(need(chooser, button, role="push button", name=button))
        wait_for("the chooser to close", lambda: chooser not in list(self.app))

    def open_file(self, title, name):
        """Picks the file from the chooser's list (it opens in the folder of the last file)."""
        chooser = self.dialog("^" + re.escape(title) + "$")
        table = need(chooser, "the file list", role="table", name="Files")
        cell = need(table, name, role="table cell", name=name)
        table.querySelection().selectChild(cell.getIndexInParent())
        time.sleep(0.3)
        click(need(chooser, "Open", role="push button", name="Open"))
        wait_for("the chooser to close", lambda: chooser not in list(self.app))

    def quit(self):
        self.menu("File", "Quit")
        self.process.wait(timeout=20)
        assert self.process.returncode == 0, self.process.returncode


def registry_value(name):
    with open(os.environ["QUELIX_REGISTRY"], encoding="utf-8") as registry:
        for line in registry:
            match = re.match(r'"%s"=dword:([0-9a-f]{8})' % re.escape(name), line.strip())
            if match:
                return int(match.group(1), 16)
    return None


def check_live_controls_snap_record():
    viewer = Viewer("--simulate", "--scene", "chart", "--bits", "8")
    # Frames arrive: the count grows and the host rate is shown.
    first = wait_for("frames", viewer.frames_seen)
    wait_for("more frames", lambda: viewer.frames_seen() > first + 20)
    wait_for("a frame rate", lambda: viewer.host_fps() > 5)
    print("frames arrive:", viewer.label("host fps"), viewer.label("camera fps"))

    # Exposure: 5000 us is 128 lines of 38.9 us, 4979 us as the camera runs it.
    exposure = need(viewer.frame, "exposure", role="spin button", name="Exposure (µs)")
    exposure.queryValue().currentValue = 5000
    wait_for("the actual exposure", lambda: "4979 µs (128 lines)" in text_of(
        find(viewer.frame, role="label", pattern="^Actual exposure")))

    # Mirroring and zoom.
    click(need(viewer.frame, "mirror", role="check box", name="Mirror left-right"))
    viewer.menu("View", "4:1")
    wait_for("the zoom", lambda: "4:1" in text_of(find(viewer.frame, role="label", pattern="Zoom")))
    viewer.menu("View", "Fit")

    # Colour mode: 16-bit gray; a snapshot then holds 16-bit samples.
    combo = need(viewer.frame, "colour mode", role="combo box", name="Colour mode")
    combo.querySelection().selectChild(1)
    time.sleep(1.0)
    snapshot = os.path.join(WORK, "snapshot.png")
    click(need(viewer.frame, "snap", role="push button", name="Snap"))
    viewer.choose_file("Snap", snapshot, "Save")
    wait_for("the snapshot", lambda: os.path.exists(snapshot))
    with Image.open(snapshot) as image:
        print("snapshot:", image.size, image.mode)
        assert image.size == (320, 256), image.size
        assert image.mode in ("I;16", "I"), image.mode
        low, high = image.getextrema()
        assert high > low, (low, high)
    assert "saved" in viewer.label("message"), viewer.label("message")

    # Record 2 s and count the frames of the file.
    recording = os.path.join(WORK, "recording.avi")
    record = need(viewer.frame, "record", role="push button", name="record")
    click(record)
    viewer.choose_file("Record", recording, "Save")
    wait_for("the recording time", lambda: "s" in viewer.label("recording time"))
    time.sleep(2.0)
    click(record)
    wait_for("the end of the recording", lambda: "recorded" in viewer.label("message"))
    message = viewer.label("message")
    print("recording:", message)
    frames = int(subprocess.check_output(
        ["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
         "stream=nb_read_frames", "-of", "csv=p=0", recording], text=True).strip())
    print("ffprobe counted", frames, "frames")
    assert frames >= 20, frames
    assert "%d frames" % frames in message, (frames, message)
    # After the recording the frames reach the viewer again.
    seen = viewer.frames_seen()
    wait_for("frames after the recording", lambda: viewer.frames_seen() > seen + 10)

    # Each settings dialog opens and Cancel closes it. The camera and image
    # dialogs show their changes on the live picture; the library stops the
    # preview while the stream format dialog is open and starts it again after.
    for item, live in (("Camera settings...", True), ("Image settings...", True), ("Stream settings...", False)):
        viewer.menu("Camera", item)
        dialog = viewer.dialog("^Property$")
        tabs = [n.name for n in walk(dialog) if n.getRoleName() == "page tab"]
        print("dialog:", item, tabs)
        if live:
            seen = viewer.frames_seen()
            wait_for("frames while the dialog is open", lambda: viewer.frames_seen() > seen + 5)
        click(need(dialog, "Cancel", role="push button", name="Cancel"))
        wait_for("the dialog to close", lambda: dialog not in list(viewer.app))
        seen = viewer.frames_seen()
        wait_for("frames after the dialog", lambda: viewer.frames_seen() > seen + 5)
    viewer.quit()
    exposure_lines = registry_value("Exposure")
    print("registry: Exposure", exposure_lines, "H_Mirror", registry_value("H_Mirror"))
    assert exposure_lines == 128, exposure_lines
    assert registry_value("H_Mirror") == 1


def selected_item(combo):
    selection = combo.querySelection()
    return selection.getSelectedChild(0).name if selection.nSelectedChildren > 0 else None


def check_stream_dialog_stores_the_colour_mode():
    viewer = Viewer("--simulate", "--scene", "flat", "--bits", "8")
    wait_for("frames", viewer.frames_seen)
    viewer.menu("Camera", "Stream settings...")
    dialog = viewer.dialog("^Property$")
    colour = need(dialog, "the colour format", role="combo box", pattern="^(Monochrome|Color) ")
    formats = [n.name for n in walk(colour) if n.getRoleName() == "menu item"]
    print("stream dialog formats:", formats)
    colour.querySelection().selectChild(formats.index("Monochrome 14bit *"))
    click(need(dialog, "OK", role="push button", name="OK"))
    wait_for("the dialog to close", lambda: dialog not in list(viewer.app))
    # The viewer reads the new mode back from the library.
    combo = need(viewer.frame, "colour mode", role="combo box", name="Colour mode")
    wait_for("16-bit gray in the viewer", lambda: selected_item(combo) == "16-bit gray")
    seen = viewer.frames_seen()
    wait_for("frames in the new mode", lambda: viewer.frames_seen() > seen + 5)
    viewer.quit()
    stored = registry_value("Color")
    print("registry: Color", stored)
    assert stored == 1, stored


def check_unplug_calibrate_mask():
    devices = os.environ["QUELIX_DEVICE_DIR"]
    camsim = subprocess.Popen([CAMSIM, "--dir", devices, "--cameras", "0,2", "--scene", "flat"],
                              stdout=subprocess.PIPE, text=True)
    try:
        assert "ready" in camsim.stdout.readline()
        ctl = lambda *command: subprocess.check_call([CAMSIM, "ctl", "--dir", devices, *command])
        viewer = Viewer("--bits", "16")
        wait_for("streaming", lambda: viewer.label("camera state") == "streaming")
        ctl("unplug", "0")
        wait_for("waiting for the camera", lambda: viewer.label("camera state") == "waiting for the camera")
        print("unplugged:", viewer.label("camera state"), "/", viewer.label("last error"))
        time.sleep(1.0)
        ctl("plug", "0")
        wait_for("streaming again", lambda: viewer.label("camera state") == "streaming", timeout=30)
        seen = viewer.frames_seen()
        wait_for("frames after the replug", lambda: viewer.frames_seen() > seen + 10)
        print("replugged:", viewer.label("camera state"), viewer.label("host fps"))

        # The device list shows the attached cameras; the viewer switches to another.
        viewer.menu("Camera", "Device")
        other = need(viewer.frame, "the third camera", role="radio menu item", name="Quelix205KWMX_03")
        click(other)
        try:
            wait_for("the switch", lambda: "Quelix205KWMX_03" in viewer.label("message"))
        except AssertionError:
            print("message:", viewer.label("message"), "/", viewer.label("last error"))
            raise
        seen = viewer.frames_seen()
        wait_for("frames from the other camera", lambda: viewer.frames_seen() > seen + 10)
        viewer.menu("Camera", "Device")
        click(need(viewer.frame, "the first camera", role="radio menu item", name="Quelix205KWMX_01"))
        wait_for("the switch back", lambda: "Quelix205KWMX_01" in viewer.label("message"))

        # Calibration: dark, then bright, into a mask file.
        ctl("scene", "0", "dark")
        time.sleep(0.5)
        click(need(viewer.frame, "calibrate", role="push button", name="Calibrate"))
        dialog = viewer.dialog("^Calibrate$")
        result = need(dialog, "the result", role="label", name="calibration result")
        click(need(dialog, "dark", role="push button", name="Take dark reference"))
        wait_for("the dark reference", lambda: "dark reference taken" in text_of(result))
        ctl("scene", "0", "flat")
        time.sleep(0.8)
        click(need(dialog, "bright", role="push button", name="Take bright reference"))
        text = wait_for("the bright reference", lambda: "non-uniformity" in text_of(result) and text_of(result))
        print("calibration:", text)
        before, after = [float(v) for v in re.findall(r"([0-9.]+) %", text)]
        assert after < before, (before, after)
        mask = os.path.join(WORK, "calibration.msk")
        click(need(dialog, "save", role="push button", name="Save mask file..."))
        viewer.choose_file("Save mask file...", mask, "Save")
        wait_for("the mask file", lambda: os.path.exists(mask) and os.path.getsize(mask) == 491560)
        click(need(dialog, "close", role="push button", name="Close"))
        wait_for("the dialog to close", lambda: dialog not in list(viewer.app))
        # Load it again, as a user does the next day.
        viewer.menu("File", "Load mask file...")
        viewer.open_file("Load mask file...", os.path.basename(mask))
        wait_for("the mask loaded", lambda: "mask file loaded" in viewer.label("message"))
        shading = need(viewer.frame, "shading", role="check box", name="Shading correction")
        assert shading.getState().contains(pyatspi.STATE_CHECKED)
        viewer.quit()
    finally:
        camsim.send_signal(signal.SIGTERM)
        camsim.wait(timeout=20)


def main():
    failures = 0
    for check in (check_live_controls_snap_record, check_stream_dialog_stores_the_colour_mode,
                  check_unplug_calibrate_mask):
        print("==", check.__name__)
        try:
            check()
        except Exception as error:  # report every check, then fail
            failures += 1
            print("FAILED:", check.__name__, repr(error))
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "quelix-viewer":
                    dump(app)
        finally:
            for process in STARTED:
                if process.poll() is None:
                    process.terminate()
                    process.wait(timeout=20)
            STARTED.clear()
    with open(os.path.join(WORK, "viewer.log")) as log:
        print(log.read())
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
