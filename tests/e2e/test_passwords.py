"""The older Windows family's password check: zovi.scr told it runs on Windows 98, doubles of the password
modules in the prefix's system folder, real keys and mouse travel, the notice, the change and a preview."""

import os
import shutil
import time

from zovi_e2e import BUILD, SCR, Desktop, exit_code, run_tests, wait_for, windows_path

DOUBLES = os.path.join(BUILD, "doubles")
VERSION = (r"HKCU\Software\Wine\AppDefaults\zovi.scr", "/v", "Version")
USE_PASSWORD = (r"HKCU\Control Panel\Desktop", "/v", "ScreenSaveUsePassword")


class OlderFamily(Desktop):
    """A desktop on which zovi.scr runs as on Windows 98; the doubles note what they are asked in notes()."""

    def prepare(self):
        self.system = os.path.join(self.env["WINEPREFIX"], "drive_c", "windows", "syswow64")
        self.notes_path, self.answer_path = (os.path.join(self.work.name, n) for n in ("notes.txt", "answer.txt"))
        self.env.update(ZOVI_DOUBLE_JOURNAL=windows_path(self.notes_path),
                        ZOVI_DOUBLE_ANSWER=windows_path(self.answer_path))
        assert self.wine("reg", "add", *VERSION, "/d", "win98", "/f") == 0

    def __exit__(self, *exc):
        self.use(None, None)
        self.wine("reg", "delete", *VERSION, "/f")
        super().__exit__(*exc)

    def use(self, password_wanted, module):
        """ScreenSaveUsePassword and the double as PASSWORD.CPL (None: none); new notes, the answer a refusal."""
        if password_wanted is None:
            self.wine("reg", "delete", *USE_PASSWORD, "/f")
        else:
            assert self.wine("reg", "add", *USE_PASSWORD, "/t", "REG_DWORD", "/d", password_wanted, "/f") == 0
        cpl = os.path.join(self.system, "PASSWORD.CPL")
        if module:
            shutil.copy(os.path.join(DOUBLES, module), cpl)
        elif os.path.exists(cpl):
            os.remove(cpl)
        open(self.notes_path, "w").close()
        open(self.answer_path, "w").write("refuse")

    def notes(self):
        return open(self.notes_path).read().split("\n")[:-1]

    def verifications(self):
        return [line for line in self.notes() if line.startswith("verify")]


def test_a_refusal_keeps_the_saver_and_an_acceptance_ends_it(family):
    family.use("1", "password_cpl_double.dll")
    saver = family.saver("/s")
    assert family.probe("saver-running") == "1"
    for asked, trigger in enumerate((("key", "space"), ("mousemove_relative", "--", 20, 0)), 1):
        family.x(*trigger)
        wait_for(lambda: family.notes()[-1:] == ["answer refuse"] and len(family.verifications()) == asked,
                 what="check %d refused" % asked)
        assert saver.poll() is None, "a refused password closed the saver"
        time.sleep(0.25)  # past the 200 ms in which a close after a refusal is refused unasked
    assert all(line == "verify owner-is-saver=1 running=1" for line in family.verifications())
    # The refusal made the cursor's place the new reference: 4 pixels from it stay quiet.
    family.x("mousemove_relative", "--", 2, 2)
    open(family.answer_path, "w").write("accept")
    family.x("mousemove_relative", "--", 1, 0)  # 5
    assert exit_code(saver) == 0 and len(family.verifications()) == 3, family.notes()
    assert family.probe("saver-running") == "0"


def test_no_password_wanted_no_verifier_or_only_planted_ones_let_the_first_close_through(family):
    # Modules planted beside the saver and in its current folder are never loaded.
    planted = [os.path.join(os.path.dirname(SCR), "PASSWORD.CPL"), os.path.join(family.work.name, "PASSWORD.CPL")]
    try:
        for path in planted:
            shutil.copy(os.path.join(DOUBLES, "planted_module.dll"), path)
        for wanted, module in (("0", "password_cpl_double.dll"), (None, "password_cpl_double.dll"),
                               ("1", None), ("1", "mpr_double.dll")):  # the last: no verifier in it
            family.use(wanted, module)
            saver = family.saver("/s", cwd=family.work.name)
            assert family.probe("saver-running") == "0", (wanted, module)
            assert family.close(saver) == 0 and family.notes() == [], (wanted, module, family.notes())
    finally:
        for path in planted:
            os.remove(path)


def test_change_password_and_preview(family):
    family.use("1", "password_cpl_double.dll")
    # The double takes the place of Wine's own MPR.DLL for the saver alone.
    native_mpr = dict(family.env, WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n")
    original = os.path.join(family.system, "mpr.dll")
    os.replace(original, original + ".wine")
    try:
        shutil.copy(os.path.join(DOUBLES, "mpr_double.dll"), original)
        assert family.wine(SCR, "/a", "0", env=native_mpr) == 0
        [change] = [line for line in family.notes() if line.startswith("change")]
        assert change.startswith("change SCRSAVE owner=") and change.endswith(" 0 0"), change
        os.remove(original)  # no module at all: still 0
        assert family.wine(SCR, "/a", "0", env=native_mpr) == 0
    finally:
        os.replace(original + ".wine", original)
    # A preview loads nothing and asks nothing, even with a password wanted.
    host, _, child = family.preview_host()
    assert child != 0 and family.probe("saver-running") == "0"
    host.stdin.write("close\n")
    assert host.stdout.readline().strip() == "saver-exit 0"
    assert family.verifications() == []


if __name__ == "__main__":
    with OlderFamily() as shared:
        run_tests(globals(), shared)
