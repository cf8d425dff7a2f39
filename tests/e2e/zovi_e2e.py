"""Shared: a private X server on the project's Wine prefix, zovi.scr started as the desktop does, pictures as pixels."""

import getpass
import json
import os
import re
import subprocess
import tempfile
import time

ROOT = os.environ.get("ZOVI_ROOT", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
BUILD = os.environ.get("ZOVI_BUILD", os.path.join(ROOT, "build", "win32"))
SCR = os.environ.get("ZOVI_SCR", os.path.join(BUILD, "zovi.scr"))
PROBE = os.environ.get("ZOVI_PROBE", os.path.join(BUILD, "zovi-probe.exe"))
ENGINE = os.environ.get("ZOVI_EFFECTS_ENGINE", os.path.join(BUILD, "engine", "zovi_effects_engine.dll"))
# What tools/wine-env says of this machine: the build that runs here, the loader to run it with, and
# the project's prefix for it (ZOVI_WINEPREFIX aside, which a test may set later).
ARCH, WINE, PREFIX = subprocess.run(
    ["bash", "-c", 'source "$0/tools/wine-env" && printf "%s\n" "$zovi_wine_arch" "$ZOVI_WINE" "$WINEPREFIX"', ROOT],
    env={k: v for k, v in os.environ.items() if k != "ZOVI_WINEPREFIX"}, capture_output=True, text=True,
    check=True).stdout.splitlines()


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def wait_for(condition, timeout=45.0, what="condition"):
    """Polls until condition() gives something true and returns it; a limit reached means wrong, not slow."""
    deadline = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)
    return result


def exit_code(process, timeout=20):
    """A process's exit code, once it has ended, as the signed value the program gave (Wine gives -1 as 255)."""
    code = process.wait(timeout=timeout)
    return code - 256 if code > 127 else code


class Frame:
    """The picture ImageMagick's convert FILE or import -window ID gives, as rows of (r, g, b) bytes."""

    def __init__(self, *command, env=None):
        ppm = subprocess.run([*command, "-depth", "8", "ppm:-"], env=env, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)  # none when the command failed: no pixels
        self.width, self.height = (int(header[1]), int(header[2])) if header else (0, 0)
        self.data = ppm[header.end():] if header else b""

    def lit(self, threshold=40, step=2):
        """(x, y, r, g, b) of the pixels brighter than threshold, on a grid of step."""
        row = 3 * self.width
        return [(x, y, r, g, b) for y in range(0, self.height, step) for x, r, g, b in zip(
            range(0, self.width, step), *(self.data[y * row + c:(y + 1) * row:3 * step] for c in range(3)))
            if r + g + b > threshold]


class Desktop:
    """Wine's server stopped at both ends so no earlier program leaks in; the settings file put back after."""

    def __init__(self, screen="1280x800x24", effects=False):
        self.screen, self.effects = screen, effects

    def __enter__(self):
        subprocess.run(["bash", "-c", 'source "$0/tools/wine-env" && zovi_prepare_wineprefix', ROOT], check=True)
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", self.screen, "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.work = tempfile.TemporaryDirectory(prefix="zovi-e2e-")
        self.journal_path = os.path.join(self.work.name, "journal.jsonl")
        self.env = dict(os.environ, DISPLAY=":" + self.xvfb.stdout.readline().strip(), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", ZOVI_EFFECTS_JOURNAL=windows_path(self.journal_path),
                        WINEPREFIX=os.environ.get("ZOVI_WINEPREFIX", PREFIX),
                        **({"WINELOADER": WINE} if ARCH == "win64" else {}))
        self.settings = os.path.join(self.env["WINEPREFIX"], "drive_c", "users", getpass.getuser(), "AppData",
                                     "Roaming", "Zovi Logo Screensaver.txt")
        self.kept = open(self.settings, "rb").read() if os.path.exists(self.settings) else None
        try:
            self.kill_wine()
            self.prepare()
        except BaseException:
            self.__exit__()
            raise
        return self

    def prepare(self):
        if self.effects:
            assert self.wine("regsvr32", "/s", windows_path(ENGINE)) == 0
            self.write_settings(b"false\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\n")  # fade to black, all effects on

    def __exit__(self, *exc):
        self.kill_wine()
        self.write_settings(self.kept)
        self.xvfb.terminate()
        self.xvfb.wait()
        self.work.cleanup()

    def kill_wine(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def write_settings(self, content):
        """The saver's settings file from here on (None: no file)."""
        if content is not None:
            open(self.settings, "wb").write(content)
        elif os.path.exists(self.settings):
            os.remove(self.settings)

    def wine(self, *command, timeout=60, env=None):
        """Runs a Windows program to its end; its signed exit code."""
        return exit_code(subprocess.Popen([WINE, *map(str, command)], env=env or self.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL), timeout)

    def saver(self, *args, window="Screen Saver", program=SCR, cwd=None):
        """zovi.scr (or program) started with args and a fresh journal, once its window of that title shows."""
        open(self.journal_path, "w").close()  # the engine appends
        process = subprocess.Popen([WINE, program, *args], env=self.env, cwd=cwd, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        if window:
            wait_for(lambda: self.windows(window), what="the window " + window)
        return process

    def close(self, saver, timeout=20):
        """A real key closes the saver; its exit code."""
        self.x("key", "space")
        return exit_code(saver, timeout)

    def probe(self, *args):
        """zovi-probe's answer: the saver seen from outside as the desktop sees it."""
        return subprocess.run([WINE, PROBE, *map(str, args)], env=self.env, timeout=60, capture_output=True,
                              text=True).stdout.strip()

    def preview_host(self, width=152, height=112):
        """The Control Panel stand-in running "zovi.scr /p <its handle>": its process, its handle, the child's."""
        host = subprocess.Popen([WINE, PROBE, "preview", SCR, str(width), str(height)], env=self.env, text=True,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=1)
        return host, int(host.stdout.readline().split()[1]), int(host.stdout.readline().split()[1])

    def x(self, *args, check=True):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                              check=check).stdout

    def windows(self, name):
        return self.x("search", "--onlyvisible", "--name", "^%s$" % name, check=False).split()

    def journal(self):
        """The engine's journal entries so far, but for a last line still being written."""
        text = open(self.journal_path, "rb").read().decode("latin-1") if os.path.exists(self.journal_path) else ""
        return [json.loads(line) for line in text.split("\n")[:-1]]


def run_tests(names, *args):
    for name, test in list(names.items()):
        if name.startswith("test_"):
            test(*args)
            print("passed:", name)
