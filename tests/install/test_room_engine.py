"""The open room engine as an optional part of both installers, in a fresh 64-bit Wine prefix: off by
default; where no engine is registered, installed and registered for the 32-bit saver and removed
with it; where another engine is registered, left alone by installing and uninstalling alike."""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from zovi_e2e import Desktop, run_test, windows_path  # noqa: E402

DIST, VERSION = os.environ["ZOVI_DIST"], os.environ["ZOVI_VERSION"]
PREFIX = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "prefix-room-engine")
CLASS = r"HKLM\Software\Classes\CLSID\{8C779023-BD0E-43A0-A876-C4A54E0A7D5C}\InprocServer32"
OURS = r"C:\Program Files (x86)\Zovi Logo Screensaver\zovi_effects_engine.dll"
THEIRS = r"C:\Program Files (x86)\Closed Effects\effects.dll"


class Machine(Desktop):
    def run(self, *args):
        """Runs a Windows program and all it starts to their end; the exit code in Wine's 8 bits."""
        code = subprocess.run(["wine", *args], env=self.env, capture_output=True, timeout=180).returncode
        subprocess.run(["wineserver", "-w"], env=self.env)
        return code % 256

    def engine(self):
        """The server registered for the effects class in the 32-bit view (plain wine reg's), or None."""
        out = subprocess.run(["wine", "reg", "query", CLASS, "/ve"], env=self.env, capture_output=True,
                             text=True).stdout
        return next((line.split("REG_SZ", 1)[1].strip() for line in out.splitlines() if "REG_SZ" in line), None)

    def state(self):
        """The engine registered, and whether our engine's file is installed."""
        return self.engine(), os.path.exists(os.path.join(PREFIX, "drive_c", OURS[3:].replace("\\", "/")))


def test_installed_only_where_no_engine_is_registered():
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.environ["ZOVI_WINEPREFIX"] = PREFIX
    setup = os.path.join(DIST, "zovi-%s-setup.exe" % VERSION)
    uninstaller = r"C:\Program Files (x86)\Zovi Logo Screensaver\uninstall.exe"
    msi = lambda action, *more: machine.run("msiexec", action, windows_path(setup[:-10] + ".msi"), *more, "/qn")
    with Machine() as machine:
        assert machine.run(setup, "/S") == 0 and machine.state() == (None, False), "off by default"
        assert machine.run(setup, "/S", "/ROOMENGINE") == 0 and machine.state() == (OURS, True)
        assert machine.run(uninstaller, "/S") == 0 and machine.state() == (None, False)

        assert machine.run("reg", "add", CLASS, "/ve", "/d", THEIRS, "/f") == 0
        assert machine.run(setup, "/S", "/ROOMENGINE") == 0 and machine.state() == (THEIRS, False)
        assert machine.run(uninstaller, "/S") == 0 and machine.state() == (THEIRS, False)
        assert msi("/i", "ADDLOCAL=ALL") == 0 and machine.state() == (THEIRS, False)
        assert msi("/x") == 0 and machine.state() == (THEIRS, False)

        assert machine.run("reg", "delete", CLASS, "/f") == 0
        assert msi("/i") == 0 and machine.state() == (None, False), "off by default"
        assert msi("/x") == 0
        assert msi("/i", "ADDLOCAL=ALL") == 0 and machine.state() == (OURS, True)
        assert msi("/x") == 0 and machine.state() == (None, False)
    shutil.rmtree(PREFIX, ignore_errors=True)


if __name__ == "__main__":
    run_test(test_installed_only_where_no_engine_is_registered)
