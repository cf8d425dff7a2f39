"""zovi.scr in each mode the desktop starts it in, on a desktop two monitors wide: the exit codes, real keys
and mouse travel closing the full screen, the preview in a parent, the settings dialog driven once."""

import subprocess
import time

from zovi_e2e import ROOT, SCR, Desktop, Frame, exit_code, run_tests, wait_for

DPI_KEY = r"HKCU\Control Panel\Desktop"
BM_GETCHECK = 0x00F0
CONTROLS = FADE_TO_BLACK, FADE_TO_BACKGROUND, LIGHTS, FANS, RUMBLES = tuple(range(1003, 1008))


def covers_the_screen(desktop):
    geometry = desktop.x("getwindowgeometry", "--shell", desktop.windows("Screen Saver")[0])
    return "\nX=0\nY=0\nWIDTH=%s\nHEIGHT=%s\n" % tuple(desktop.screen.split("x")[:2]) in geometry


def test_exit_codes_and_the_full_screen_window(desktop):
    for args in (["/x"], ["/p", "0"], ["/p", "123456789"], ["/a", "0"]):
        assert desktop.wine(SCR, *args) == -1, args
        assert not desktop.windows("Preview") and not desktop.windows("Screen Saver"), args
    for option in ("/s", "--S"):
        saver = desktop.saver(option)
        assert covers_the_screen(desktop), option
        assert desktop.close(saver) == 0, option


def test_mouse_travel_of_four_stays_and_five_closes_on_a_96_and_on_a_192_dpi_screen(desktop):
    try:
        for dpi in (96, 192):
            scale = dpi // 96  # travel counts in 96-dpi pixels: the same nudge on every display
            assert desktop.wine("reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f") == 0
            desktop.kill_wine()
            saver = desktop.saver("/s")
            assert covers_the_screen(desktop), dpi
            x, y = (int(line[2:]) for line in desktop.x("getmouselocation", "--shell").split()[:2])
            for dx, dy in ((2, 2), (3, -1), (-1, 2)):  # 4 in sum each time, from where the saver started
                desktop.x("mousemove", x + scale * dx, y + scale * dy)
                time.sleep(0.7)  # a close, if any, would come at once
                assert saver.poll() is None, (dpi, dx, dy)
            desktop.x("mousemove", x + scale * 2, y + scale * 2 + 1)
            assert exit_code(saver) == 0, dpi
    finally:
        desktop.wine("reg", "delete", DPI_KEY, "/v", "LogPixels", "/f")
        desktop.kill_wine()


def logo_frame(desktop):
    """The preview's latest frame, from the off-screen window Wine draws OpenGL children in, if it shows the logo."""
    window = subprocess.run(["bash", "-c", 'source "$0/tools/wine-env" && zovi_offscreen_window 152 112', ROOT],
                            env=desktop.env, capture_output=True, text=True).stdout.strip()
    frame = window and Frame("import", "-window", window, env=desktop.env)
    glow = frame and [p for p in frame.lit(threshold=60, step=1) if max(p[2:]) - min(p[2:]) > 40]
    return frame if glow and len(glow) > 10 else None


def test_preview_draws_in_its_parent_ignores_input_and_forwards_help(desktop):
    host, host_handle, child = desktop.preview_host(152, 112)
    assert child != 0 and desktop.probe("rect", child) == desktop.probe("client", host_handle)
    x, y = (int(v) for v in desktop.probe("rect", child).split()[:2])
    first = wait_for(lambda: logo_frame(desktop), what="the logo in the preview's frames")
    assert (first.width, first.height) == (151, 111)  # clipped: it overhangs the screen's top left by one
    desktop.x("mousemove", x + 20, y + 20, "click", 1, "click", 3, "key", "space", "mousemove", x + 90, y + 70)
    wait_for(lambda: (logo_frame(desktop) or first).data != first.data, what="a later frame that differs")
    time.sleep(0.5)  # give any wrongly posted close time to act before looking again
    assert desktop.probe("rect", child) != "none"
    # The real right-click asked for a context menu, which went to the parent, and so does help.
    assert host.stdout.readline().startswith("received contextmenu wparam-is-host=1 ")
    host.stdin.write("help\n")
    assert host.stdout.readline().startswith("received help wparam-is-host=1 ")
    assert host.stdout.readline().strip() == "help answered 1"
    host.stdin.write("close\n")
    assert host.stdout.readline().strip() == "saver-exit 0"
    host.wait(timeout=20)
    assert desktop.wine(SCR, "/p", host_handle) == -1  # the window it named has gone


def test_settings_dialog_writes_the_file_and_shows_it_when_opened_again(desktop):
    desktop.write_settings(None)
    shown, saved = (1, 0, 1, 1, 0), b"true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n"  # no file: the defaults
    # The empty command line: OK (the default button) writes the file; /c shows it, and Escape leaves it.
    for args, clicks, after, key, code in (((), (FADE_TO_BACKGROUND, LIGHTS, RUMBLES), (0, 1, 0, 1, 1), "Return", 1),
                                           (("/c",), (FANS,), (0, 1, 0, 0, 1), "Escape", 0)):
        process = desktop.saver(*args, window="Zovi Settings")
        handle = wait_for(lambda: int(desktop.probe("find", "#32770", "Zovi Settings") or 0), what="its handle")
        items = {c: desktop.probe("item", handle, c) for c in CONTROLS}

        def states():
            return tuple(desktop.probe("send", item, BM_GETCHECK, 0, 0) == "1" for item in items.values())
        assert states() == shown, (args, states())
        assert args or desktop.probe("rect", handle).split()[:2] == ["0", "0"], "no owner: not centred"
        for control in clicks:  # real clicks on the box at the left of a radio button or check box
            left, top, _, bottom = (int(v) for v in desktop.probe("rect", items[control]).split())
            desktop.x("mousemove", left + 6, (top + bottom) // 2, "click", 1)
        wait_for(lambda: states() == after, what="the clicks to take effect")
        desktop.x("windowfocus", "--sync", desktop.windows("Zovi Settings")[0], "key", key)
        assert exit_code(process) == code
        assert open(desktop.settings, "rb").read() == saved, args  # in the prefix's application-data folder
        shown = after


if __name__ == "__main__":
    with Desktop("2560x800x24") as shared:
        run_tests(globals(), shared)
