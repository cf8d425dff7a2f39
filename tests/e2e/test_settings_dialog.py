"""The settings dialog as the desktop opens it (an empty command line, then zovi.scr /c), driven once
with real clicks and keys under Wine and a private X server: the file it writes in the prefix's
application-data folder, what it shows when opened again, and Escape leaving the file alone."""

import os
import subprocess

from zovi_e2e import Desktop, exit_code, run_test, wait_for

BM_GETCHECK = 0x00F0
FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES = 1003, 1004, 1005, 1006, 1007


def settings_file(desktop):
    """The settings file of the prefix's user, as a Unix path (Wine says where its folder is)."""
    folder = subprocess.run(["wine", "cmd", "/c", "echo %APPDATA%"], env=desktop.env, capture_output=True,
                            text=True, check=True).stdout.strip()
    unix = subprocess.run(["winepath", "-u", folder], env=desktop.env, capture_output=True, text=True,
                          check=True).stdout.strip()
    assert unix.startswith(desktop.env["WINEPREFIX"]), unix  # never a real user's folder
    return os.path.join(unix, "Zovi Logo Screensaver.txt")


class Dialog:
    """The open settings dialog: its process, its X window and its Windows handle."""

    def __init__(self, desktop, *args):
        self.desktop = desktop
        self.process = desktop.start_saver(*args)
        self.window = wait_for(lambda: desktop.windows("Zovi Settings"), what="the settings dialog")[0]
        self.handle = wait_for(lambda: int(desktop.probe("find", "#32770", "Zovi Settings") or 0), what="its handle")

    def rect(self, control=None):
        handle = self.handle if control is None else self.desktop.probe("item", self.handle, control)
        return tuple(int(v) for v in self.desktop.probe("rect", handle).split())

    def states(self):
        return tuple(self.desktop.probe("send", self.desktop.probe("item", self.handle, c), BM_GETCHECK, 0, 0) == "1"
                     for c in (FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES))

    def click(self, control):
        """A real mouse click on the box at the left of a radio button or check box."""
        left, top, _, bottom = self.rect(control)
        self.desktop.xdotool("mousemove", str(left + 6), str((top + bottom) // 2), "click", "1")

    def key(self, name):
        self.desktop.xdotool("windowfocus", "--sync", str(self.window))
        self.desktop.xdotool("key", name)


def test_configure_writes_the_file_and_shows_it_when_opened_again():
    with Desktop() as desktop:
        path = settings_file(desktop)
        if os.path.exists(path):
            os.remove(path)
        try:
            dialog = Dialog(desktop)  # the empty command line
            assert dialog.rect()[:2] == (0, 0), "no centring: the top left of the screen without an owner"
            assert dialog.states() == (True, False, True, True, False), "no file: the defaults"
            for control in (FADE_TO_BACKGROUND, LIGHTS, RUMBLES):
                dialog.click(control)
            wait_for(lambda: dialog.states() == (False, True, False, True, True), what="the clicks to take effect")
            dialog.key("Return")  # the default button, OK
            assert exit_code(dialog.process) == 1
            saved = b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"
            assert open(path, "rb").read() == saved

            dialog = Dialog(desktop, "/c")
            assert dialog.states() == (False, True, False, True, True), dialog.states()
            dialog.click(FANS)
            wait_for(lambda: not dialog.states()[3], what="the click")
            dialog.key("Escape")
            assert exit_code(dialog.process) == 0
            assert open(path, "rb").read() == saved
        finally:
            if os.path.exists(path):
                os.remove(path)


if __name__ == "__main__":
    run_test(test_configure_writes_the_file_and_shows_it_when_opened_again)
