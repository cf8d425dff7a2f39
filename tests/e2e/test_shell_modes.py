"""zovi.scr as the desktop starts it: the option table's exit codes, the full-screen window closing on
a real key and real mouse travel, and the preview inside a parent window taking real input."""

import subprocess
import time

from zovi_e2e import Desktop, exit_code, run_test, wait_for


def start_full_screen(desktop):
    saver = desktop.start_saver("/s")
    window = wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")[0]
    return saver, window


def still_running(saver, seconds=0.7):
    """True when the saver has not ended within a short while (for things that must not close it)."""
    try:
        saver.wait(timeout=seconds)
        return False
    except subprocess.TimeoutExpired:
        return True


def test_exit_codes_and_the_full_screen_window():
    with Desktop("2560x800x24") as desktop:  # two monitors' worth: the whole virtual screen
        for args in (["/x"], ["/p", "0"], ["/p", "123456789"], ["/a", "0"]):
            assert desktop.run_saver(*args) == -1, args
            assert not desktop.windows("Preview") and not desktop.windows("Screen Saver"), args
        for option in ("/s", "--S"):
            saver, window = start_full_screen(desktop)
            assert desktop.geometry(window) == (0, 0, desktop.width, desktop.height)
            desktop.xdotool("key", "a")
            assert exit_code(saver) == 0, option


def log_pixels(desktop, *args):
    subprocess.run(["wine", "reg", *args], env=desktop.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check_mouse_travel(desktop, dpi):
    scale = dpi // 96  # travel counts in 96-dpi pixels: the same nudge on every display
    log_pixels(desktop, "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    desktop.kill_wine()
    saver, window = start_full_screen(desktop)
    assert desktop.geometry(window) == (0, 0, desktop.width, desktop.height), dpi
    x, y = desktop.mouse_location()  # where the saver measures travel from
    for dx, dy in ((2, 2), (3, -1), (-1, 2)):  # 4 in sum each time, from the same reference
        desktop.xdotool("mousemove", str(x + scale * dx), str(y + scale * dy))
        assert still_running(saver), (dpi, dx, dy)
    desktop.xdotool("mousemove", str(x + scale * 2), str(y + scale * 2 + 1))
    assert exit_code(saver) == 0, dpi


def test_mouse_travel_of_four_stays_and_five_closes_on_a_96_and_on_a_192_dpi_screen():
    with Desktop() as desktop:
        try:
            for dpi in (96, 192):
                check_mouse_travel(desktop, dpi)
        finally:
            log_pixels(desktop, "delete", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/f")


def test_preview_fills_its_parent_ignores_input_and_forwards_help():
    with Desktop() as desktop:
        host, host_handle, child = desktop.start_preview_host(152, 112)
        assert child != 0
        assert desktop.probe("rect", child) == desktop.probe("client", host_handle)
        x, y, right, bottom = (int(v) for v in desktop.probe("rect", child).split())
        assert (right - x, bottom - y) == (152, 112)
        desktop.xdotool("mousemove", str(x + 20), str(y + 20))
        desktop.xdotool("click", "1")
        desktop.xdotool("click", "3")
        desktop.xdotool("key", "space")
        desktop.xdotool("mousemove", str(x + 90), str(y + 70))
        time.sleep(0.5)  # give any wrongly posted close time to act before looking again
        assert desktop.probe("rect", child) != "none"
        # The real right-click asked for a context menu, which went to the parent.
        assert host.stdout.readline().startswith("received contextmenu wparam-is-host=1 ")
        host.stdin.write("help\n")
        assert host.stdout.readline().startswith("received help wparam-is-host=1 ")
        assert host.stdout.readline().strip() == "help answered 1"
        host.stdin.write("close\n")
        assert host.stdout.readline().strip() == "saver-exit 0"
        host.wait(timeout=20)
        desktop.kill_wine()
        assert desktop.run_saver("/p", host_handle) == -1  # the window it named has gone


if __name__ == "__main__":
    run_test(test_exit_codes_and_the_full_screen_window)
    run_test(test_mouse_travel_of_four_stays_and_five_closes_on_a_96_and_on_a_192_dpi_screen)
    run_test(test_preview_fills_its_parent_ignores_input_and_forwards_help)
