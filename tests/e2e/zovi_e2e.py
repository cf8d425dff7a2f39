"""What every end-to-end test needs: a private X server, the project's Wine prefix, the real
zovi.scr started the way the desktop starts it, and screenshots read back as pixels."""

import os
import subprocess
import time

ROOT = os.environ.get("ZOVI_ROOT", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.environ.get("ZOVI_BUILD", os.path.join(ROOT, "build", "win32"))
SCR = os.environ.get("ZOVI_SCR", os.path.join(BUILD, "zovi.scr"))
PROBE = os.environ.get("ZOVI_PROBE", os.path.join(BUILD, "zovi-probe.exe"))


def wine_environment(display):
    env = dict(os.environ)
    env["WINEPREFIX"] = os.environ.get("ZOVI_WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env["DISPLAY"] = display
    return env


def windows_path(path):
    """A Unix path as Wine programs see it, through the Z: drive."""
    return "Z:" + path.replace("/", "\\")


def wait_for(condition, timeout=45.0, what="condition"):
    """Polls until condition() gives something true and returns it, or fails with what was awaited.
    The limit is generous: a limit that is reached means something is wrong, not slow."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


class Frame:
    """A screenshot as rows of (r, g, b) bytes."""

    def __init__(self, width, height, data, taken):
        self.width, self.height, self.data, self.taken = width, height, data, taken

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def lit(self, threshold=40, step=2):
        """Coordinates and colours of the pixels brighter than threshold, on a grid of step."""
        found = []
        for y in range(0, self.height, step):
            row = y * self.width * 3
            for x in range(0, self.width, step):
                i = row + x * 3
                r, g, b = self.data[i], self.data[i + 1], self.data[i + 2]
                if r + g + b > threshold:
                    found.append((x, y, r, g, b))
        return found


class Desktop:
    """A private X server with the project's Wine prefix on it; the Wine server is stopped at both
    ends so no earlier program or display leaks in."""

    def __init__(self, screen="1280x800x24"):
        self.screen = screen

    def __enter__(self):
        subprocess.run(["bash", "-c", 'source "$0/tools/wine-env" && zovi_prepare_wineprefix', ROOT], check=True)
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            self.display = ":" + reader.readline().strip()
        self.env = wine_environment(self.display)
        self.width, self.height = (int(v) for v in self.screen.split("x")[:2])
        self.kill_wine()
        return self

    def __exit__(self, *exc):
        self.kill_wine()
        self.xvfb.terminate()
        self.xvfb.wait()

    def kill_wine(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def start_saver(self, *args):
        return subprocess.Popen(["wine", SCR, *args], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def run_saver(self, *args, timeout=30):
        """Runs the saver to its end and gives its exit code as a signed 32-bit value."""
        code = subprocess.run(["wine", SCR, *[str(a) for a in args]], env=self.env, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        return code - 256 if code > 127 else code

    def probe(self, *args):
        """Runs zovi-probe (the outside view of the saver) and gives its output."""
        return subprocess.run(["wine", PROBE, *[str(a) for a in args]], env=self.env, timeout=60,
                              capture_output=True, text=True).stdout.strip()

    def start_preview_host(self, width=152, height=112):
        """The Control Panel stand-in: a window that runs "zovi.scr /p <its handle>" inside it. Gives
        the process and the Windows handles of the host window and of the saver's child."""
        host = subprocess.Popen(["wine", PROBE, "preview", SCR, str(width), str(height)], env=self.env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                text=True, bufsize=1)
        host_handle = int(host.stdout.readline().split()[1])
        child_handle = int(host.stdout.readline().split()[1])
        return host, host_handle, child_handle

    def windows(self, name):
        """X window ids of the visible windows whose title is exactly name."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                               env=self.env, capture_output=True, text=True).stdout.split()
        return [int(w) for w in found]

    def geometry(self, window):
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window)], env=self.env,
                             capture_output=True, text=True, check=True).stdout
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def screenshot(self):
        taken = time.monotonic()
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, check=True).stdout
        return parse_ppm(ppm, taken)

    def mouse_location(self):
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env,
                             capture_output=True, text=True, check=True).stdout
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)


def exit_code(process, timeout=20):
    """A process's exit code as a signed 32-bit value, once it has ended."""
    code = process.wait(timeout=timeout)
    return code - 256 if code > 127 else code


def parse_ppm(blob, taken=0.0):
    fields, pos = [], 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            pos = blob.index(b"\n", pos)
            continue
        end = pos
        while not blob[end:end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    assert fields[0] == b"P6", "not a binary PPM"
    width, height = int(fields[1]), int(fields[2])
    pos += 1
    return Frame(width, height, blob[pos:pos + width * height * 3], taken)


def run_test(test):
    """Runs one test function and reports like a unit test runner."""
    try:
        test()
    except AssertionError as failure:
        print("FAILED:", test.__name__, "-", failure)
        raise SystemExit(1)
    print("passed:", test.__name__)
