"""A private X server for the Linux tests, and what they read from it: the logo's light in a
window and the processes that draw it. Every wait has a deadline that means "wrong", not "slow"."""

import colorsys
import os
import signal
import subprocess
import time

from Xlib import X, display as xdisplay

PROGRAM = os.environ.get("ZOVI_LOGO", "")
AZURE_HUE = 203  # the first cycle's colour, 20 51 69 in percent: the same on every run and host


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError("no %s within %.1f s" % (what, seconds))


class XServer:
    """Xvfb on a free display; -ac lets a test user's daemon draw on it too."""

    def __init__(self, size="640x480x24"):
        read, write = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", size, "-ac", "-nolisten",
                                         "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            self.name = ":" + numbers.readline().strip()
        self.display = xdisplay.Display(self.name)
        self.env = dict(os.environ, DISPLAY=self.name)

    def close(self):
        self.display.close()
        self.process.terminate()
        self.process.wait()

    def make_window(self, width=320, height=240):
        screen = self.display.screen()
        window = screen.root.create_window(0, 0, width, height, 0, screen.root_depth, X.InputOutput, X.CopyFromParent,
                                           background_pixel=screen.white_pixel)
        window.map()
        self.display.sync()
        return window

    def light(self, window=None):
        """The mean hue of the lit pixels (every second one read), or None while dark. Only pixels
        that no channel clips count: the sweep darkens all three channels alike and blending adds
        light of one hue, which keeps the hue, but a channel held at 0 or 255 shifts it."""
        window = window or self.display.screen().root
        geometry = window.get_geometry()
        data = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF).data
        lit = [(r, g, b) for b, g, r in zip(data[0::8], data[1::8], data[2::8]) if 90 < r + g + b and min(r, g, b) >= 4 and max(r, g, b) <= 250]
        if len(lit) < 20:
            return None
        mean = [sum(channel) / len(lit) / 255 for channel in zip(*lit)]
        return colorsys.rgb_to_hsv(*mean)[0] * 360 or 360.0

    def assert_first_cycle_lit(self, window=None):
        hue = wait_for(lambda: self.light(window), 5, "lit logo")
        assert abs(hue - AZURE_HUE) < 15, "first cycle's hue %.0f, not azure (%d)" % (hue, AZURE_HUE)
        return hue


def pids_named(name, user=None):
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode()
            if os.path.basename(argv0) == name and (user is None or os.stat("/proc/" + entry).st_uid == user):
                found.append(int(entry))
        except (OSError, ValueError):
            pass
    return found


def gone(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(") ")[1][0] == "Z"
    except OSError:
        return True


def ended_within(pid, seconds, what):
    started = time.monotonic()
    wait_for(lambda: gone(pid), seconds, "end after " + what)
    return (time.monotonic() - started) * 1000


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
    process.wait()
