"""The settings dialog as the desktop opens it (an empty command line, then zovi.scr /c) under Wine
and a private X server, driven once with real clicks and keys: the file it writes in the prefix's
application-data folder, and a full-screen run afterwards that reads that file and leaves it alone."""

import ctypes
import ctypes.util
import os
import struct
import subprocess

from zovi_e2e import Desktop, exit_code, run_test, wait_for

BM_GETCHECK, IDOK = 0x00F0, 1
FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES = 1003, 1004, 1005, 1006, 1007


def settings_file(desktop):
    """The settings file of the prefix's user, as a Unix path (Wine says where its folder is)."""
    folder = subprocess.run(["wine", "cmd", "/c", "echo %APPDATA%"], env=desktop.env, capture_output=True,
                            text=True, check=True).stdout.strip()
    unix = subprocess.run(["winepath", "-u", folder], env=desktop.env, capture_output=True, text=True,
                          check=True).stdout.strip()
    assert unix.startswith(desktop.env["WINEPREFIX"]), unix  # never a real user's folder
    return os.path.join(unix, "Zovi Logo Screensaver.txt")


def remove(path):
    if os.path.exists(path):
        os.chmod(path, 0o644)
        os.remove(path)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Dialog:
    """The open settings dialog: its process, its X window and its Windows handle."""

    def __init__(self, desktop, *args):
        self.desktop = desktop
        self.process = desktop.start_saver(*args)
        self.window = wait_for(lambda: desktop.windows("Zovi Settings"), what="the settings dialog")[0]
        self.handle = int(wait_for(lambda: desktop.probe("find", "#32770", "Zovi Settings") not in ("", "0")
                                   and desktop.probe("find", "#32770", "Zovi Settings"), what="its handle"))

    def rect(self, control=None):
        handle = self.handle if control is None else self.desktop.probe("item", self.handle, control)
        return tuple(int(v) for v in self.desktop.probe("rect", handle).split())

    def checked(self, control):
        return self.desktop.probe("send", self.desktop.probe("item", self.handle, control), BM_GETCHECK, 0, 0) == "1"

    def states(self):
        return tuple(self.checked(c) for c in (FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES))

    def click(self, control):
        """A real mouse click: on a radio button or check box its box at the left, on a push button
        its middle."""
        left, top, right, bottom = self.rect(control)
        x = left + 6 if control >= FADE_TO_BLACK else (left + right) // 2
        self.click_at(x, (top + bottom) // 2)

    def click_at(self, x, y):
        self.desktop.xdotool("mousemove", str(x), str(y), "click", "1")

    def key(self, name):
        self.desktop.xdotool("windowfocus", "--sync", str(self.window))
        self.desktop.xdotool("key", name)

    def result(self):
        return exit_code(self.process)


class FileWatch:
    """What happens to one file, seen by the Linux kernel: opened, read, written (inotify)."""

    IN_ACCESS, IN_MODIFY, IN_CLOSE_WRITE, IN_OPEN = 0x1, 0x2, 0x8, 0x20

    def __init__(self, path):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        assert self.fd >= 0
        mask = self.IN_ACCESS | self.IN_MODIFY | self.IN_CLOSE_WRITE | self.IN_OPEN
        assert self.libc.inotify_add_watch(self.fd, path.encode(), mask) >= 0
        self.seen = 0

    def collect(self):
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            return self.seen
        at = 0
        while at < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, at)
            self.seen |= mask
            at += 16 + length
        return self.seen

    def close(self):
        os.close(self.fd)


def test_configure_writes_the_file_and_the_next_saver_start_reads_it():
    with Desktop() as desktop:
        path = settings_file(desktop)
        remove(path)
        dialog = Dialog(desktop)  # the empty command line
        assert dialog.rect()[:2] == (0, 0), "no centring: the top left of the screen without an owner"
        assert dialog.states() == (True, False, True, True, False), "no file: the defaults"
        for control in (FADE_TO_BACKGROUND, LIGHTS, RUMBLES):
            dialog.click(control)
        wait_for(lambda: dialog.states() == (False, True, False, True, True), what="the clicks to take effect")
        dialog.click(IDOK)
        assert dialog.result() == 1
        saved = b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"
        assert read_bytes(path) == saved

        # The next full-screen start opens and reads the file, and writes nothing to it.
        watch = FileWatch(path)
        saver = desktop.start_saver("/s")
        wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
        wait_for(lambda: watch.collect() & FileWatch.IN_ACCESS, what="the saver to read the file")
        desktop.xdotool("key", "space")
        assert exit_code(saver) == 0
        seen = watch.collect()
        watch.close()
        assert not seen & (FileWatch.IN_MODIFY | FileWatch.IN_CLOSE_WRITE), hex(seen)

        # Opened again it shows what was saved; Escape leaves the file as it is.
        dialog = Dialog(desktop, "/c")
        assert dialog.states() == (False, True, False, True, True), dialog.states()
        dialog.click(FANS)
        wait_for(lambda: not dialog.checked(FANS), what="the click")
        dialog.key("Escape")
        assert dialog.result() == 0
        assert read_bytes(path) == saved
        remove(path)


if __name__ == "__main__":
    run_test(test_configure_writes_the_file_and_the_next_saver_start_reads_it)
