"""The older Windows family's own password check, end to end: doubles of the platform's password
modules in the Wine prefix's system folder, the saver told it runs on Windows 98, real keys and
mouse travel, the saver-running notice, planted modules, the password change and a preview."""

import os
import shutil
import subprocess
import tempfile
import time

from zovi_e2e import BUILD, SCR, Desktop, exit_code, run_test, wait_for, windows_path

DOUBLES = os.path.join(BUILD, "doubles")


class OlderFamily:
    """Windows 98 for zovi.scr, a password wanted (or not), and the given module as PASSWORD.CPL in
    the system folder; everything is taken back at the end."""

    def __init__(self, desktop, use_password="1", password_module="password_cpl_double.dll"):
        self.desktop, self.use_password, self.module = desktop, use_password, password_module
        prefix = desktop.env["WINEPREFIX"]
        self.system = os.path.join(prefix, "drive_c", "windows", "syswow64")
        self.work = tempfile.mkdtemp(prefix="zovi-passwords-")
        self.journal_path = os.path.join(self.work, "journal.txt")
        self.answer_path = os.path.join(self.work, "answer.txt")

    def reg(self, *args):
        subprocess.run(["wine", "reg", *args, "/f"], env=self.desktop.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __enter__(self):
        self.reg("add", r"HKCU\Software\Wine\AppDefaults\zovi.scr", "/v", "Version", "/d", "win98")
        if self.use_password is not None:
            self.reg("add", r"HKCU\Control Panel\Desktop", "/v", "ScreenSaveUsePassword", "/t", "REG_DWORD",
                     "/d", self.use_password)
        if self.module:
            shutil.copy(os.path.join(DOUBLES, self.module), os.path.join(self.system, "PASSWORD.CPL"))
        env = self.desktop.env
        env["ZOVI_DOUBLE_JOURNAL"] = windows_path(self.journal_path)
        env["ZOVI_DOUBLE_ANSWER"] = windows_path(self.answer_path)
        self.answer("refuse")
        return self

    def __exit__(self, *exc):
        self.desktop.kill_wine()
        for key, value in ((r"HKCU\Software\Wine\AppDefaults\zovi.scr", "Version"),
                           (r"HKCU\Control Panel\Desktop", "ScreenSaveUsePassword")):
            subprocess.run(["wine", "reg", "delete", key, "/v", value, "/f"], env=self.desktop.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if os.path.exists(os.path.join(self.system, "PASSWORD.CPL")):
            os.remove(os.path.join(self.system, "PASSWORD.CPL"))
        shutil.rmtree(self.work, ignore_errors=True)

    def answer(self, what):
        with open(self.answer_path, "w") as f:
            f.write(what)

    def journal(self):
        if not os.path.exists(self.journal_path):
            return []
        with open(self.journal_path) as f:
            return f.read().split("\n")[:-1]

    def verifications(self):
        return [line for line in self.journal() if line.startswith("verify")]


def start(desktop):
    saver = desktop.start_saver("/s")
    wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
    return saver, int(desktop.probe("find", "WindowsScreenSaverClass", "Screen Saver") or 0)


def test_a_refusal_keeps_the_saver_and_an_acceptance_ends_it():
    with Desktop() as desktop, OlderFamily(desktop) as family:
        saver, handle = start(desktop)
        assert desktop.probe("saver-running") == "1"
        for asked, trigger in enumerate((("key", "space"), ("mousemove_relative", "--", "20", "0")), 1):
            desktop.xdotool(*trigger)
            wait_for(lambda: family.journal()[-1:] == ["answer refuse"] and len(family.verifications()) == asked,
                     what="check %d refused" % asked)
            assert saver.poll() is None, "a refused password closed the saver"
            time.sleep(0.25)  # past the 200 ms in which a close after a refusal is refused unasked
        assert all(line == "verify owner-is-saver=1 running=1" for line in family.verifications())
        # The refusal made the cursor's place the new reference: 4 pixels from it stay quiet.
        desktop.xdotool("mousemove_relative", "--", "2", "2")
        family.answer("accept")
        desktop.xdotool("mousemove_relative", "--", "1", "0")  # 5
        assert exit_code(saver) == 0
        assert len(family.verifications()) == 3, family.journal()
        assert desktop.probe("saver-running") == "0"


def test_no_password_wanted_no_verifier_or_a_planted_one_lets_the_first_close_through():
    with Desktop() as desktop:
        for setting, module in (("0", "password_cpl_double.dll"), (None, "password_cpl_double.dll"),
                                ("1", None), ("1", "mpr_double.dll")):  # the last: no verifier in it
            with OlderFamily(desktop, setting, module) as family:
                saver, _ = start(desktop)
                assert desktop.probe("saver-running") == "0", (setting, module)
                desktop.xdotool("key", "space")
                assert exit_code(saver) == 0, (setting, module)
                assert family.verifications() == [], (setting, module)
        # One planted beside the saver or in the current folder is never loaded.
        with OlderFamily(desktop, "1", None) as family:
            planted = [os.path.join(os.path.dirname(SCR), "PASSWORD.CPL"), os.path.join(family.work, "PASSWORD.CPL")]
            for path in planted:
                shutil.copy(os.path.join(DOUBLES, "planted_module.dll"), path)
            try:
                saver = subprocess.Popen(["wine", SCR, "/s"], env=desktop.env, cwd=family.work,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
                desktop.xdotool("key", "space")
                assert exit_code(saver) == 0
                assert family.journal() == []
            finally:
                for path in planted:
                    os.remove(path)


def test_change_password_and_preview():
    with Desktop() as desktop, OlderFamily(desktop) as family:
        # The double takes the place of Wine's own MPR.DLL for the saver alone.
        native_mpr = dict(desktop.env, WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n")
        original = os.path.join(family.system, "mpr.dll")
        shutil.move(original, original + ".wine")
        try:
            shutil.copy(os.path.join(DOUBLES, "mpr_double.dll"), original)
            assert subprocess.run(["wine", SCR, "/a", "0"], env=native_mpr, timeout=60).returncode == 0
            [change] = [line for line in family.journal() if line.startswith("change")]
            assert change.startswith("change SCRSAVE owner=") and change.endswith(" 0 0"), change
            os.remove(original)  # no module at all: still 0
            assert subprocess.run(["wine", SCR, "/a", "0"], env=native_mpr, timeout=60).returncode == 0
        finally:
            if os.path.exists(original):
                os.remove(original)
            shutil.move(original + ".wine", original)
        # A preview loads nothing and asks nothing, even with a password wanted.
        host, _, child = desktop.start_preview_host()
        assert child != 0 and desktop.probe("saver-running") == "0"
        host.stdin.write("close\n")
        assert host.stdout.readline().strip() == "saver-exit 0"
        assert family.verifications() == []


if __name__ == "__main__":
    run_test(test_a_refusal_keeps_the_saver_and_an_acceptance_ends_it)
    run_test(test_no_password_wanted_no_verifier_or_a_planted_one_lets_the_first_close_through)
    run_test(test_change_password_and_preview)
