"""The release installed as Windows users and administrators install it, in a fresh Wine prefix of
each bitness: setup.exe over an older version, made the current saver, run from where it landed and
uninstalled; then the MSI installed, upgraded, refused as a downgrade and removed, all silently. Every
step waits for Wine's server to end, as the uninstaller starts a copy of itself and returns at once.
The two prefixes (argument win64 or win32) run side by side: a step mostly waits for Wine."""

import os
import pwd
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from zovi_e2e import Desktop, exit_code, run_test, wait_for, windows_path  # noqa: E402

ARCH, DIST, VERSION = (sys.argv + [""])[1], os.environ["ZOVI_DIST"], os.environ["ZOVI_VERSION"]
OLDER, NAME = "0.9.0", "Zovi Logo Screensaver"
PREFIX = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "prefix-" + ARCH)
SYSTEM = r"C:\windows\SysWOW64" if ARCH == "win64" else r"C:\windows\system32"
SAVER = SYSTEM + r"\zovi.scr"
UNINSTALL = r"HKLM\Software\%sMicrosoft\Windows\CurrentVersion\Uninstall"
KEYS = (UNINSTALL % "", UNINSTALL % "WOW6432Node\\", r"HKCU\Control Panel\Desktop", r"HKCR\Installer\Products")
DESKTOP = r"HKEY_CURRENT_USER\Control Panel\Desktop"
MSI_ERROR_INSTALL_FAILURE = 1603


def unix(path):
    """Where a C: path of the prefix is, its names matched without regard to case, as Windows does."""
    here = os.path.join(PREFIX, "drive_c")
    for part in path[3:].split("\\"):
        names = {n.lower(): n for n in os.listdir(here)} if os.path.isdir(here) else {}
        here = os.path.join(here, names.get(part.lower(), part))
    return here


def packaged(version, suffix):
    return os.path.join(DIST, "zovi-%s%s" % (version, suffix))


def program(version):
    with zipfile.ZipFile(packaged(version, ".zip")) as archive:
        return archive.read("zovi.scr")


def installed():
    return open(unix(SAVER), "rb").read() if os.path.exists(unix(SAVER)) else None


def entries(tree):
    """Our Add/Remove Programs entries, in either registry view."""
    return {k: v for k, v in tree.items() if "\\Uninstall\\" in k and v.get("DisplayName") == NAME}


class Machine(Desktop):
    def run(self, *args):
        """Runs a Windows program and all it starts to their end; the exit code in Wine's 8 bits."""
        code = subprocess.run(["wine", *args], env=self.env, capture_output=True, timeout=180).returncode
        subprocess.run(["wineserver", "-w"], env=self.env)
        return code % 256

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


def check_setup(machine):
    assert machine.run(packaged(OLDER, "-setup.exe"), "/S") == 0 and installed() == program(OLDER)
    assert machine.run(packaged(VERSION, "-setup.exe"), "/S", "/ACTIVATE") == 0
    assert installed() == program(VERSION), "the newer program in " + SYSTEM
    tree = machine.registry()
    [(key, entry)] = entries(tree).items()
    assert key.endswith(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"), key
    assert [entry[v] for v in ("DisplayVersion", "Publisher", "NoModify", "NoRepair")] == [
        VERSION, "Zovi", "0x1", "0x1"]
    assert entry["DisplayIcon"].lower() == SAVER.lower() + ",0" and "ModifyPath" not in entry
    assert int(entry["EstimatedSize"], 16) >= len(program(VERSION)) // 1024
    uninstaller = entry["UninstallString"].strip('"')
    assert entry["QuietUninstallString"] == '"%s" /S' % uninstaller
    assert subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(DIST, "cert.pem"), "-in",
                           unix(uninstaller)], capture_output=True).returncode == 0, "signed uninstaller"
    assert tree[DESKTOP]["SCRNSAVE.EXE"].lower() == SAVER.lower() and tree[DESKTOP]["ScreenSaveActive"] == "1"

    saver = subprocess.Popen(["wine", SAVER, "/s"], env=machine.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    wait_for(lambda: machine.windows("Screen Saver"), what="the installed saver's window")
    wait_for(lambda: len(machine.screenshot().lit(step=8)) > 20, what="the logo drawn")
    machine.xdotool("key", "space")
    assert exit_code(saver) == 0
    subprocess.run(["wineserver", "-w"], env=machine.env)

    settings = unix(r"C:\users\%s\AppData\Roaming\%s.txt" % (pwd.getpwuid(os.getuid()).pw_name, NAME))
    open(settings, "w").write("true\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n")
    assert machine.run(uninstaller, "/S") == 0
    assert installed() is None and not os.path.exists(os.path.dirname(unix(uninstaller)))
    tree = machine.registry()
    assert entries(tree) == {} and "SCRNSAVE.EXE" not in tree[DESKTOP]
    assert os.path.exists(settings), "the user's settings stay"


def check_msi(machine):
    def msi(action, version):
        return machine.run("msiexec", action, windows_path(packaged(version, ".msi")), "/qn")

    assert msi("/i", OLDER) == 0 and installed() == program(OLDER)
    assert msi("/i", VERSION) == 0 and installed() == program(VERSION), "upgraded in place"
    assert msi("/i", OLDER) == MSI_ERROR_INSTALL_FAILURE % 256, "a downgrade is refused"
    assert installed() == program(VERSION)
    tree = machine.registry()
    assert [e["DisplayVersion"] for e in entries(tree).values()] == [VERSION], "one entry, the newer"
    [product] = [v for k, v in tree.items() if k.startswith("HKEY_CLASSES_ROOT") and v.get("ProductName") == NAME]
    assert os.path.getsize(unix(product["ProductIcon"])) < 64 * 1024, "a small icon, not the program"
    assert "SCRNSAVE.EXE" not in tree[DESKTOP], "nothing written for a user"
    assert msi("/x", VERSION) == 0
    assert entries(machine.registry()) == {} and installed() is None


def test_install_upgrade_and_remove():
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.environ.update(ZOVI_WINEPREFIX=PREFIX, **({"WINEARCH": "win32"} if ARCH == "win32" else {}))
    started = time.monotonic()
    with Machine() as machine:
        check_setup(machine)
        check_msi(machine)
    shutil.rmtree(PREFIX, ignore_errors=True)
    print("%s prefix: %.0f s" % (ARCH, time.monotonic() - started))


if __name__ == "__main__":
    if ARCH:
        run_test(test_install_upgrade_and_remove)
    else:
        runs = [subprocess.Popen([sys.executable, __file__, arch]) for arch in ("win64", "win32")]
        sys.exit(max(run.wait() for run in runs))
