"""The release installed the ways Windows users and administrators install it, in a fresh Wine prefix
of one bitness (win64 or win32, the first argument): setup.exe over an older version, made the current
saver, run from where it landed and uninstalled; then the MSI installed, upgraded, refused as a
downgrade and removed, all silently. Every step waits for Wine's server to finish: the uninstaller
starts a copy of itself and returns at once."""

import os
import pwd
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from zovi_e2e import Desktop, exit_code, run_test, wait_for, windows_path  # noqa: E402

ARCH, DIST, VERSION = sys.argv[1], os.environ["ZOVI_DIST"], os.environ["ZOVI_VERSION"]
OLDER, NAME = "0.9.0", "Zovi Logo Screensaver"
PREFIX = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "prefix-" + ARCH)
SYSTEM = r"C:\windows\SysWOW64" if ARCH == "win64" else r"C:\windows\system32"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
WOW64_UNINSTALL = r"HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall"
DESKTOP, DESKTOP_KEY = r"HKCU\Control Panel\Desktop", r"HKEY_CURRENT_USER\Control Panel\Desktop"
PRODUCTS = r"HKCR\Installer\Products"
MSI_ERROR_INSTALL_FAILURE = 1603


def unix(path):
    """Where a C: path of the prefix is, found without regard to case, as Windows does."""
    here = os.path.join(PREFIX, "drive_c")
    for part in path[3:].split("\\"):
        names = {n.lower(): n for n in os.listdir(here)} if os.path.isdir(here) else {}
        here = os.path.join(here, names.get(part.lower(), part))
    return here


def packaged(version, kind):
    return os.path.join(DIST, {"setup": "zovi-%s-setup.exe", "msi": "zovi-%s.msi"}[kind] % version)


def program(version):
    with zipfile.ZipFile(os.path.join(DIST, "zovi-%s.zip" % version)) as archive:
        return archive.read("zovi.scr")


def installed():
    path = unix(SYSTEM + r"\zovi.scr")
    return open(path, "rb").read() if os.path.exists(path) else None


class Machine(Desktop):
    def run(self, *args):
        """Runs a Windows program and everything it starts to their end; the exit code in 8 bits."""
        code = subprocess.run(["wine", *args], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=180).returncode
        subprocess.run(["wineserver", "-w"], env=self.env)
        return code % 256

    def registry(self):
        """{key: {value: data}} under the keys the packages write, read through one run of Windows's
        own reg tool (from the 64-bit view where there is one)."""
        view = " /reg:64" if ARCH == "win64" else ""
        script = os.path.join(os.environ["ZOVI_INSTALL_WORK"], "query-%s.bat" % ARCH)
        with open(script, "w") as out:
            keys = (UNINSTALL, WOW64_UNINSTALL, DESKTOP, PRODUCTS)
            out.writelines('@reg query "%s" /s%s\r\n' % (key, view) for key in keys)
        text = subprocess.run(["wine", "cmd", "/c", windows_path(script)], env=self.env, capture_output=True,
                              text=True, timeout=60).stdout
        tree, values = {}, {}
        for line in text.splitlines():
            if line.startswith("HKEY_"):
                values = tree.setdefault(line.strip(), {})
            elif line.strip():
                fields = line.strip().split("    ")
                values[fields[0]] = fields[2] if len(fields) > 2 else ""
        return tree



def entries(tree):
    """The Add/Remove Programs entries that are ours, in either registry view."""
    return {k: v for k, v in tree.items() if "\\Uninstall\\" in k and v.get("DisplayName") == NAME}


def check_setup(machine):
    assert machine.run(packaged(OLDER, "setup"), "/S") == 0
    assert installed() == program(OLDER)
    assert machine.run(packaged(VERSION, "setup"), "/S", "/ACTIVATE") == 0
    assert installed() == program(VERSION), "the newer program in " + SYSTEM
    tree = machine.registry()
    [(key, entry)] = entries(tree).items()
    assert key.endswith(r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZoviLogoScreensaver"), key
    assert (entry["DisplayVersion"], entry["Publisher"], entry["NoModify"], entry["NoRepair"]) == (
        VERSION, "Zovi", "0x1", "0x1")
    assert entry["DisplayIcon"].lower() == (SYSTEM + r"\zovi.scr,0").lower()
    assert int(entry["EstimatedSize"], 16) >= len(program(VERSION)) // 1024
    uninstaller = entry["UninstallString"].strip('"')
    assert entry["QuietUninstallString"] == '"%s" /S' % uninstaller
    assert subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(DIST, "cert.pem"), "-in",
                           unix(uninstaller)], capture_output=True).returncode == 0, "signed uninstaller"
    setting = tree[DESKTOP_KEY]
    assert setting["SCRNSAVE.EXE"].lower() == (SYSTEM + r"\zovi.scr").lower(), setting
    assert setting["ScreenSaveActive"] == "1"

    saver = subprocess.Popen(["wine", SYSTEM + r"\zovi.scr", "/s"], env=machine.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: machine.windows("Screen Saver"), what="the installed saver's window")
    wait_for(lambda: len(machine.screenshot().lit(step=8)) > 20, what="the logo drawn")
    machine.xdotool("key", "space")
    assert exit_code(saver) == 0
    subprocess.run(["wineserver", "-w"], env=machine.env)

    settings = unix(r"C:\users\%s\AppData\Roaming\%s.txt" % (pwd.getpwuid(os.getuid()).pw_name, NAME))
    os.makedirs(os.path.dirname(settings), exist_ok=True)
    open(settings, "w").write("true\r\r\ntrue\r\r\ntrue\r\r\nfalse\r\r\n")
    assert machine.run(uninstaller, "/S") == 0
    assert installed() is None and not os.path.exists(os.path.dirname(unix(uninstaller)))
    tree = machine.registry()
    assert entries(tree) == {} and "SCRNSAVE.EXE" not in tree[DESKTOP_KEY]
    assert os.path.exists(settings), "the user's settings stay"


def check_msi(machine):
    def msi(action, version):
        return machine.run("msiexec", action, windows_path(packaged(version, "msi")), "/qn")

    assert msi("/i", OLDER) == 0
    assert installed() == program(OLDER)
    assert msi("/i", VERSION) == 0
    assert installed() == program(VERSION), "upgraded in place"
    assert msi("/i", OLDER) == MSI_ERROR_INSTALL_FAILURE % 256, "a downgrade is refused"
    assert installed() == program(VERSION)
    tree = machine.registry()
    assert [e["DisplayVersion"] for e in entries(tree).values()] == [VERSION], "one entry, the newer"
    [product] = [p for k, p in tree.items() if k.startswith("HKEY_CLASSES_ROOT") and p.get("ProductName") == NAME]
    assert os.path.getsize(unix(product["ProductIcon"])) < 64 * 1024, "a small icon, not the program"
    assert "SCRNSAVE.EXE" not in tree[DESKTOP_KEY], "nothing written for a user"
    assert msi("/x", VERSION) == 0
    assert entries(machine.registry()) == {} and installed() is None


def test_install_and_remove():
    shutil.rmtree(PREFIX, ignore_errors=True)
    os.environ["ZOVI_WINEPREFIX"] = PREFIX
    if ARCH == "win32":
        os.environ["WINEARCH"] = "win32"
    with Machine() as machine:
        check_setup(machine)
        check_msi(machine)
    shutil.rmtree(PREFIX, ignore_errors=True)


if __name__ == "__main__":
    run_test(test_install_and_remove)
