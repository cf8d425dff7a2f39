"""The settings dialog as the desktop opens it (zovi.scr /c, and with an empty command line) under
Wine and a private X server: real clicks and keys from xdotool, the file it writes in the prefix's
application-data folder, and a full-screen run afterwards that reads that file and leaves it alone."""

import ctypes
import ctypes.util
import os
import struct
import subprocess

from zovi_e2e import BUILD, Desktop, exit_code, run_test, wait_for

WM_SYSCOMMAND, SC_CLOSE, BM_GETCHECK = 0x0112, 0xF060, 0x00F0
IDOK, IDCANCEL = 1, 2
FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES, ICON = 1003, 1004, 1005, 1006, 1007, 1009
ARTEFACTS = os.path.join(BUILD, "e2e-artefacts")


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


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


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

    def click_close_box(self):
        left, top, right, _ = self.rect()
        client_left, client_top, _, _ = (int(v) for v in self.desktop.probe("client", self.handle).split())
        frame = client_left - left
        caption = client_top - top - frame
        self.click_at(right - frame - 2 - caption // 2, top + frame + caption // 2)

    def key(self, name):
        self.desktop.xdotool("windowfocus", "--sync", str(self.window))
        self.desktop.xdotool("key", name)

    def result(self):
        return exit_code(self.process)

    def screenshot(self, name):
        """Saves the dialog as it is on screen and gives the screenshot."""
        frame = self.desktop.screenshot()
        left, top, right, bottom = self.rect()
        os.makedirs(ARTEFACTS, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        os.path.join(ARTEFACTS, name)], env=self.desktop.env, check=True)
        return frame


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
        dialog = Dialog(desktop, "/c")
        # No file: the defaults.
        assert dialog.states() == (True, False, True, True, False), dialog.states()
        frame = dialog.screenshot("settings-dialog-defaults.png")
        left, top, right, bottom = dialog.rect()
        assert (left, top) == (0, 0), "no centring: the top left of the screen without an owner"
        grey = frame.pixel((left + right) // 2, bottom - 4)
        assert min(grey) > 150, "the dialog face is drawn, not left black: %s" % (grey,)
        # The icon shows the mark's blue.
        icon_left, icon_top, icon_right, icon_bottom = dialog.rect(ICON)
        blue = [(x, y) for y in range(icon_top, icon_bottom) for x in range(icon_left, icon_right)
                if frame.pixel(x, y)[2] > frame.pixel(x, y)[0] + 80]
        assert len(blue) > 40, "the icon is drawn (%d blue pixels)" % len(blue)

        for control in (FADE_TO_BACKGROUND, LIGHTS, RUMBLES):
            dialog.click(control)
        wait_for(lambda: dialog.states() == (False, True, False, True, True), what="the clicks to take effect")
        dialog.screenshot("settings-dialog-changed.png")
        dialog.click(IDOK)
        assert dialog.result() == 1
        assert read_bytes(path) == b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"

        # The next full-screen start opens and reads the file, and writes nothing to it.
        watch = FileWatch(path)
        saver = desktop.start_saver("/s")
        wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
        seen = wait_for(lambda: watch.collect() & FileWatch.IN_ACCESS and watch.seen, what="the saver to read the file")
        desktop.xdotool("key", "space")
        assert exit_code(saver) == 0
        seen = watch.collect()
        watch.close()
        assert seen & FileWatch.IN_OPEN
        assert not seen & (FileWatch.IN_MODIFY | FileWatch.IN_CLOSE_WRITE), hex(seen)
        assert read_bytes(path) == b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"

        # And the dialog opened again shows what was saved.
        dialog = Dialog(desktop, "/c")
        assert dialog.states() == (False, True, False, True, True), dialog.states()
        dialog.key("Return")
        assert dialog.result() == 1
        assert read_bytes(path) == b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"
        remove(path)


def test_empty_command_line_opens_the_dialog_and_cancel_escape_and_close_box_change_nothing():
    with Desktop() as desktop:
        path = settings_file(desktop)
        hand_edited = b"TRUE\r\ntrue\r\r\n\r\n"
        write_bytes(path, hand_edited)
        before = os.stat(path).st_mtime_ns
        for how in ("Cancel", "Escape", "close box"):
            dialog = Dialog(desktop)
            assert dialog.rect()[:2] == (0, 0)
            assert dialog.states() == (True, False, True, False, False), (how, dialog.states())
            for control in (FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES):
                dialog.click(control)
            wait_for(lambda: dialog.states() == (False, True, False, True, True), what="the clicks")
            if how == "Cancel":
                dialog.click(IDCANCEL)
            elif how == "Escape":
                dialog.key("Escape")
            else:
                dialog.click_close_box()
            assert dialog.result() == 0, how
            assert read_bytes(path) == hand_edited, how
            assert os.stat(path).st_mtime_ns == before, how
        remove(path)


def test_a_read_only_file_stays_as_it_is_and_ok_still_ends_with_one():
    with Desktop() as desktop:
        path = settings_file(desktop)
        remove(path)
        content = b"true\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\n"
        write_bytes(path, content)
        windows_path = subprocess.run(["winepath", "-w", path], env=desktop.env, capture_output=True, text=True,
                                      check=True).stdout.strip()
        subprocess.run(["wine", "cmd", "/c", "attrib", "+r", windows_path], env=desktop.env, check=True,
                       stdout=subprocess.DEVNULL)
        # Wine keeps the read-only attribute as the file's Unix permissions, which do not stop root:
        # when the tests run as root, the file is made immutable as well, so it is as read-only to the
        # saver as to a Windows user. Either way the saver sees an ordinary read-only file.
        immutable = os.geteuid() == 0
        if immutable:
            subprocess.run(["chattr", "+i", path], check=True)
        try:
            dialog = Dialog(desktop, "/c")
            assert dialog.states() == (False, True, True, True, True)
            dialog.click(RUMBLES)
            wait_for(lambda: not dialog.checked(RUMBLES), what="the click")
            dialog.click(IDOK)
            assert dialog.result() == 1
            assert read_bytes(path) == content
        finally:
            if immutable:
                subprocess.run(["chattr", "-i", path], check=True)
        remove(path)


def test_full_screen_still_covers_the_screen_at_150_percent():
    with Desktop() as desktop:
        def log_pixels(*args):
            subprocess.run(["wine", "reg", *args], env=desktop.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        log_pixels("add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
        desktop.kill_wine()
        try:
            saver = desktop.start_saver("/s")
            window = wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")[0]
            assert desktop.geometry(window) == (0, 0, desktop.width, desktop.height)
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0
        finally:
            log_pixels("delete", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/f")
            desktop.kill_wine()


if __name__ == "__main__":
    run_test(test_configure_writes_the_file_and_the_next_saver_start_reads_it)
    run_test(test_empty_command_line_opens_the_dialog_and_cancel_escape_and_close_box_change_nothing)
    run_test(test_a_read_only_file_stays_as_it_is_and_ok_still_ends_with_one)
    run_test(test_full_screen_still_covers_the_screen_at_150_percent)
