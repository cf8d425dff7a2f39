"""The release installed silently in fresh Wine prefixes. msi: the MSI in a 64-bit prefix, which the 64-bit
msiexec alone can do. 32bit: setup.exe (a 32-bit program) in a 64-bit prefix, and both in a 32-bit prefix."""

import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from test_package import signed  # noqa: E402
from zovi_e2e import WINE, Desktop, Frame, run_tests, wait_for, windows_path  # noqa: E402

GROUP, ARCH, DIST, VERSION = (sys.argv + ["", ""])[1:3] + [os.environ["ZOVI_DIST"], os.environ["ZOVI_VERSION"]]
OLDER, NAME, REFUSED = "0.9.0", "Zovi Logo Screensaver", 1603 % 256  # the MSI's install failure, as Wine gives it
SETUP_REFUSED, SETUP_UNREGISTERED = 3, 4  # setup.exe's exit codes: a newer zovi.scr there, the engine unregistered
PREFIX = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "prefix-%s-%s" % (GROUP, ARCH))
VIEW32 = ("/reg:32",) * (ARCH == "win64")  # the 32-bit saver's registry view, whichever reg asks
SYSTEM, PROGRAMS = (r"C:\windows\SysWOW64", r"C:\Program Files (x86)") if ARCH == "win64" else \
    (r"C:\windows\system32", r"C:\Program Files")
SAVER, HOME, THEIRS = SYSTEM + r"\zovi.scr", PROGRAMS + "\\" + NAME, PROGRAMS + r"\Closed Effects\effects.dll"
OURS, UNINSTALLER = HOME + r"\zovi_effects_engine.dll", HOME + r"\uninstall.exe"
UNINSTALL = r"HKLM\Software\%sMicrosoft\Windows\CurrentVersion\Uninstall"
QUERY = "".join('@reg query "%s" /s%s\r\n' % (k, " /reg:64" * (ARCH == "win64")) for k in (
    UNINSTALL % "", UNINSTALL % "WOW6432Node\\", r"HKCU\Control Panel\Desktop", r"HKCR\Installer\Products"))
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


def entries(tree):  # in either registry view
    return {k: v for k, v in tree.items() if "\\Uninstall\\" in k and v.get("DisplayName") == NAME}


class Machine(Desktop):
    def run(self, *command, env=None):
        """A Windows program's exit code in 8 bits, once all it started has ended (the uninstaller's copy too)."""
        code = self.wine(*command, timeout=180, env=env) % 256
        subprocess.run(["wineserver", "-w"], env=self.env)
        return code

    def registry(self):
        """{key: {value: data}} that QUERY gives in one run (64-bit where wine reg reads the 32-bit view)."""
        open(unix(r"C:\query.bat"), "w").write(QUERY)
        out = subprocess.run([WINE, "cmd", "/c", r"C:\query.bat"], env=self.env, capture_output=True, text=True,
                             timeout=60)
        tree, values = {}, {}
        for line in filter(str.strip, out.stdout.splitlines()):
            if line.startswith("HKEY_"):
                values = tree.setdefault(line.strip(), {})
            else:
                fields = line.strip().split("    ")
                values[fields[0]] = fields[-1] if len(fields) > 2 else ""
        return tree

    def engine(self):
        """The server registered for the effects class in the 32-bit saver's view; whether our engine is there."""
        out = subprocess.run([WINE, "reg", "query", CLASS, "/ve", *VIEW32], env=self.env, capture_output=True, text=True)
        return out.stdout.partition("REG_SZ")[2].strip() or None, os.path.exists(unix(OURS))


def test_setup_over_an_older_one_refused_as_a_downgrade_made_the_saver_run_and_uninstalled(machine):
    assert machine.run(SETUP[OLDER], "/S") == 0 and installed() == PROGRAM[OLDER]
    assert machine.engine() == (None, False), "the room engine is off by default"
    # Wine loads no DLL whose override is empty: the engine's registration fails.
    unloadable = dict(machine.env, WINEDLLOVERRIDES=machine.env["WINEDLLOVERRIDES"] + ";zovi_effects_engine=")
    assert machine.run(SETUP[VERSION], "/S", "/ROOMENGINE", env=unloadable) == SETUP_UNREGISTERED
    assert machine.engine() == (None, False), "an engine that could not be registered is not left installed"
    assert machine.run(SETUP[VERSION], "/S", "/ROOMENGINE") == 0 and machine.engine() == (OURS, True)
    assert installed() == PROGRAM[VERSION], "the newer program in " + SYSTEM
    assert machine.run(SETUP[OLDER], "/S") == SETUP_REFUSED and installed() == PROGRAM[VERSION], "downgrade"
    tree = machine.registry()
    [(key, entry)] = entries(tree).items()
    assert key.endswith(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"), key
    assert entry.items() >= dict(DisplayVersion=VERSION, Publisher="Zovi", NoModify="0x1", NoRepair="0x1").items()
    assert entry["QuietUninstallString"] == entry["UninstallString"] + " /S" == '"%s" /S' % UNINSTALLER, entry
    assert entry["DisplayIcon"].lower() == SAVER.lower() + ",0" and "ModifyPath" not in entry
    assert int(entry["EstimatedSize"], 16) >= len(PROGRAM[VERSION]) // 1024
    assert signed(unix(UNINSTALLER)), "signed uninstaller"
    assert "SCRNSAVE.EXE" not in tree[DESKTOP], "nothing written for a user"

    saver = machine.saver("/s", program=SAVER)
    wait_for(lambda: len(Frame("import", "-window", "root", env=machine.env).lit(step=8)) > 20, what="the logo drawn")
    assert machine.close(saver) == 0
    subprocess.run(["wineserver", "-w"], env=machine.env)

    machine.write_settings(b"true\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n")
    assert machine.run(UNINSTALLER, "/S") == 0 and installed() is None and not os.path.exists(unix(HOME))
    tree = machine.registry()
    assert entries(tree) == {} and "SCRNSAVE.EXE" not in tree[DESKTOP] and machine.engine() == (None, False)
    assert os.path.exists(machine.settings), "the user's settings stay"


def test_msi_installed_upgraded_refused_as_a_downgrade_and_removed(machine):
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


def test_another_engine_and_a_copy_of_the_saver_are_left_alone(machine):
    if MSI_STEPS[0] in GROUPS[GROUP][1]:
        # Another engine registered after the MSI's: removal takes the MSI's files and leaves that registration.
        assert machine.run(*MSI_STEPS[0]) == 0 and machine.engine() == (OURS, True)
        assert machine.run("reg", "add", CLASS, "/ve", "/d", THEIRS, "/f", *VIEW32) == 0
        assert machine.run(*MSI_STEPS[1]) == 0 and machine.engine() == (THEIRS, False)
        assert not os.path.exists(unix(HOME)), "the MSI's folder"
    # Registered before: neither installer takes it over.
    assert machine.run("reg", "add", CLASS, "/ve", "/d", THEIRS, "/f", *VIEW32) == 0
    for step in GROUPS[GROUP][1]:
        copied = step[0] == UNINSTALLER
        if copied:
            open(unix(SAVER), "wb").write(PROGRAM[VERSION])  # a copy from the zip, over setup's
        assert machine.run(*step) == 0 and machine.engine() == (THEIRS, False), step
        assert not copied or installed() == PROGRAM[VERSION], "a copy is not setup's to remove"


# Each group's tests by name, the other engine's steps, and the prefixes it runs in.
SETUP_STEPS = ((SETUP[VERSION], "/S", "/ROOMENGINE"), (UNINSTALLER, "/S"))
MSI_STEPS = (("msiexec", "/i", MSI[VERSION], "ADDLOCAL=ALL", "/qn"), ("msiexec", "/x", MSI[VERSION], "/qn"))
GROUPS = {"msi": ({"win64": "msi"}, MSI_STEPS),
          "32bit": ({"win64": "setup", "win32": "setup|msi"}, SETUP_STEPS + MSI_STEPS * (ARCH == "win32"))}


if __name__ == "__main__":
    if not ARCH:
        runs = [subprocess.Popen([sys.executable, __file__, GROUP, arch]) for arch in GROUPS[GROUP][0]]
        sys.exit(max(run.wait() for run in runs))
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.environ.update(ZOVI_WINEPREFIX=PREFIX, **({"WINEARCH": "win32"} if ARCH == "win32" else {}))
    started = time.monotonic()
    wanted = re.compile(r"test_(%s|another)_" % GROUPS[GROUP][0][ARCH])
    with Machine() as shared:
        run_tests({name: test for name, test in globals().items() if wanted.match(name)}, shared)
    shutil.rmtree(PREFIX, ignore_errors=True)
    print("%s %s prefix: %.0f s" % (GROUP, ARCH, time.monotonic() - started))
