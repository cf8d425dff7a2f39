"""The release installed as users and administrators install it, silently, in a fresh Wine prefix of each
bitness (argument win64 or win32; without one both run side by side): setup.exe over an older version,
made the current saver, run and uninstalled; the MSI installed, upgraded, refused as a downgrade and
removed; the optional room engine installed and registered by either only where no engine is."""

import os
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from zovi_e2e import Desktop, Frame, run_tests, wait_for, windows_path  # noqa: E402

ARCH, DIST, VERSION = (sys.argv + [""])[1], os.environ["ZOVI_DIST"], os.environ["ZOVI_VERSION"]
OLDER, NAME, REFUSED = "0.9.0", "Zovi Logo Screensaver", 1603 % 256  # the MSI's install failure, as Wine gives it
PREFIX = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "prefix-" + ARCH)
SYSTEM, PROGRAMS = (r"C:\windows\SysWOW64", r"C:\Program Files (x86)") if ARCH == "win64" else \
    (r"C:\windows\system32", r"C:\Program Files")
SAVER, OURS, THEIRS = SYSTEM + r"\zovi.scr", PROGRAMS + r"\%s\zovi_effects_engine.dll" % NAME, \
    PROGRAMS + r"\Closed Effects\effects.dll"
UNINSTALL = r"HKLM\Software\%sMicrosoft\Windows\CurrentVersion\Uninstall"
KEYS = (UNINSTALL % "", UNINSTALL % "WOW6432Node\\", r"HKCU\Control Panel\Desktop", r"HKCR\Installer\Products")
DESKTOP = r"HKEY_CURRENT_USER\Control Panel\Desktop"
SETUP = {v: os.path.join(DIST, "zovi-%s-setup.exe" % v) for v in (OLDER, VERSION)}
MSI = {v: windows_path(os.path.join(DIST, "zovi-%s.msi" % v)) for v in (OLDER, VERSION)}
PROGRAM = {v: zipfile.ZipFile(os.path.join(DIST, "zovi-%s.zip" % v)).read("zovi.scr") for v in (OLDER, VERSION)}
CLASS = r"HKLM\Software\Classes\CLSID\{8C779023-BD0E-43A0-A876-C4A54E0A7D5C}\InprocServer32"


def unix(path):
    """Where a C: path of the prefix is, its names matched without regard to case, as Windows does."""
    here = os.path.join(PREFIX, "drive_c")
    for part in path[3:].split("\\"):
        names = {n.lower(): n for n in os.listdir(here)} if os.path.isdir(here) else {}
        here = os.path.join(here, names.get(part.lower(), part))
    return here


def installed():
    return open(unix(SAVER), "rb").read() if os.path.exists(unix(SAVER)) else None


def entries(tree):
    """Our Add/Remove Programs entries, in either registry view."""
    return {k: v for k, v in tree.items() if "\\Uninstall\\" in k and v.get("DisplayName") == NAME}


class Machine(Desktop):
    def run(self, *command):
        """Runs a Windows program and all it starts to their end (the uninstaller starts a copy of itself
        and returns at once); the exit code in Wine's 8 bits."""
        code = self.wine(*command, timeout=180) % 256
        subprocess.run(["wineserver", "-w"], env=self.env)
        return code

    def registry(self):
        """{key: {value: data}} at and below KEYS, read with Windows's own reg tool in one run (the
        64-bit view where there is one: plain wine reg reads the 32-bit view)."""
        script = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "query-%s.bat" % ARCH)
        with open(script, "w") as out:
            out.writelines('@reg query "%s" /s%s\r\n' % (k, " /reg:64" * (ARCH == "win64")) for k in KEYS)
        text = subprocess.run(["wine", "cmd", "/c", windows_path(script)], env=self.env, capture_output=True,
                              text=True, timeout=60).stdout
        tree, values = {}, {}
        for line in filter(str.strip, text.splitlines()):
            if line.startswith("HKEY_"):
                values = tree.setdefault(line.strip(), {})
            else:
                fields = line.strip().split("    ")
                values[fields[0]] = fields[-1] if len(fields) > 2 else ""
        return tree

    def engine(self):
        """The server registered for the effects class in the 32-bit saver's view, and whether our
        engine's file is installed."""
        out = subprocess.run(["wine", "reg", "query", CLASS, "/ve"], env=self.env, capture_output=True,
                             text=True).stdout
        return next((line.split("REG_SZ", 1)[1].strip() for line in out.splitlines() if "REG_SZ" in line),
                    None), os.path.exists(unix(OURS))


def check_setup(machine):
    assert machine.run(SETUP[OLDER], "/S") == 0 and installed() == PROGRAM[OLDER]
    assert machine.engine() == (None, False), "the room engine is off by default"
    assert machine.run(SETUP[VERSION], "/S", "/ACTIVATE", "/ROOMENGINE") == 0
    assert installed() == PROGRAM[VERSION], "the newer program in " + SYSTEM
    assert machine.engine() == (OURS, True)
    tree = machine.registry()
    [(key, entry)] = entries(tree).items()
    assert key.endswith(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"), key
    assert [entry[v] for v in ("DisplayVersion", "Publisher", "NoModify", "NoRepair")] == [
        VERSION, "Zovi", "0x1", "0x1"]
    assert entry["DisplayIcon"].lower() == SAVER.lower() + ",0" and "ModifyPath" not in entry
    assert int(entry["EstimatedSize"], 16) >= len(PROGRAM[VERSION]) // 1024
    uninstaller = entry["UninstallString"].strip('"')
    assert entry["QuietUninstallString"] == '"%s" /S' % uninstaller
    assert subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(DIST, "cert.pem"), "-in",
                           unix(uninstaller)], capture_output=True).returncode == 0, "signed uninstaller"
    assert tree[DESKTOP]["SCRNSAVE.EXE"].lower() == SAVER.lower() and tree[DESKTOP]["ScreenSaveActive"] == "1"

    saver = machine.saver("/s", program=SAVER)
    wait_for(lambda: len(Frame("import", "-window", "root", env=machine.env).lit(step=8)) > 20, what="the logo drawn")
    assert machine.close(saver) == 0
    subprocess.run(["wineserver", "-w"], env=machine.env)

    machine.write_settings(b"true\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n")
    assert machine.run(uninstaller, "/S") == 0
    assert installed() is None and not os.path.exists(os.path.dirname(unix(uninstaller)))
    tree = machine.registry()
    assert entries(tree) == {} and "SCRNSAVE.EXE" not in tree[DESKTOP] and machine.engine() == (None, False)
    assert os.path.exists(machine.settings), "the user's settings stay"
    return uninstaller


def check_msi(machine):
    assert machine.run("msiexec", "/i", MSI[OLDER], "/qn") == 0 and installed() == PROGRAM[OLDER]
    assert machine.engine() == (None, False), "the room engine is off by default"
    assert machine.run("msiexec", "/i", MSI[VERSION], "ADDLOCAL=ALL", "/qn") == 0 and machine.engine() == (OURS, True)
    assert installed() == PROGRAM[VERSION], "upgraded in place"
    assert machine.run("msiexec", "/i", MSI[OLDER], "/qn") == REFUSED and installed() == PROGRAM[VERSION], "downgrade"
    tree = machine.registry()
    assert [e["DisplayVersion"] for e in entries(tree).values()] == [VERSION], "one entry, the newer"
    [product] = [v for k, v in tree.items() if k.startswith("HKEY_CLASSES_ROOT") and v.get("ProductName") == NAME]
    assert os.path.getsize(unix(product["ProductIcon"])) < 64 * 1024, "a small icon, not the program"
    assert "SCRNSAVE.EXE" not in tree[DESKTOP], "nothing written for a user"
    assert machine.run("msiexec", "/x", MSI[VERSION], "/qn") == 0
    assert entries(machine.registry()) == {} and installed() is None and machine.engine() == (None, False)


def test_install_upgrade_and_remove():
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.environ.update(ZOVI_WINEPREFIX=PREFIX, **({"WINEARCH": "win32"} if ARCH == "win32" else {}))
    started = time.monotonic()
    with Machine() as machine:
        uninstaller = check_setup(machine)
        check_msi(machine)
        # Where another engine is registered, neither installer nor uninstaller touches it.
        assert machine.run("reg", "add", CLASS, "/ve", "/d", THEIRS, "/f") == 0
        for step in ((SETUP[VERSION], "/S", "/ROOMENGINE"), (uninstaller, "/S"),
                     ("msiexec", "/i", MSI[VERSION], "ADDLOCAL=ALL", "/qn"), ("msiexec", "/x", MSI[VERSION], "/qn")):
            assert machine.run(*step) == 0 and machine.engine() == (THEIRS, False), step
    shutil.rmtree(PREFIX, ignore_errors=True)
    print("%s prefix: %.0f s" % (ARCH, time.monotonic() - started))


if __name__ == "__main__":
    if ARCH:
        run_tests(globals())
    else:
        runs = [subprocess.Popen([sys.executable, __file__, arch]) for arch in ("win64", "win32")]
        sys.exit(max(run.wait() for run in runs))
