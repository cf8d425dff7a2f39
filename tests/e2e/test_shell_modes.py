"""zovi.scr as the desktop starts it: the option table's exit codes, the full-screen window and its
close rules, the one-instance rule, and the preview inside a parent window."""

import subprocess
import time

from zovi_e2e import Desktop, exit_code, run_test, wait_for

WM_SETTEXT, WM_POWER, WM_SYSCOMMAND, WM_POWERBROADCAST = 0x000C, 0x0048, 0x0112, 0x0218
SC_SCREENSAVE, SC_MONITORPOWER = 0xF140, 0xF170


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


def test_exit_codes_of_the_option_table():
    with Desktop() as desktop:
        for args in (["/x"], ["/\ts"], ["/p", "0"], ["/p"], ["/l", "0"], ["/p", "123456789"], ["/a", "0"], ["/A"]):
            assert desktop.run_saver(*args) == -1, args
            assert not desktop.windows("Preview") and not desktop.windows("Screen Saver"), args
        # A handle that named a window that has since gone.
        host, handle, child = desktop.start_preview_host()
        assert child != 0
        host.stdin.write("close\n")
        assert host.stdout.readline().strip() == "saver-exit 0"
        host.wait(timeout=20)
        desktop.kill_wine()
        assert desktop.run_saver("/p", handle) == -1
        for option in ("/s", "-S", "--s", "/ s"):
            saver, _ = start_full_screen(desktop)
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0, option


def test_full_screen_covers_the_virtual_screen_and_closes_on_a_key():
    for screen in ("1280x800x24", "2560x800x24"):
        with Desktop(screen) as desktop:
            saver, window = start_full_screen(desktop)
            assert desktop.geometry(window) == (0, 0, desktop.width, desktop.height), screen
            assert still_running(saver, 0.3)
            desktop.xdotool("key", "a")
            assert exit_code(saver) == 0


def test_mouse_travel_of_four_stays_and_five_closes():
    with Desktop() as desktop:
        saver, _ = start_full_screen(desktop)
        x, y = desktop.mouse_location()  # where the saver measures travel from

        def move(dx, dy):
            desktop.xdotool("mousemove", str(x + dx), str(y + dy))

        move(2, 2)  # 4 in sum
        assert still_running(saver)
        move(3, -1)  # 3 + 1: still 4, and several small moves do not shift the reference
        assert still_running(saver)
        move(-1, 2)
        assert still_running(saver)
        move(3, 2)  # 5
        assert exit_code(saver) == 0


def test_messages_it_ignores_and_those_that_close_it():
    with Desktop() as desktop:
        saver, window = start_full_screen(desktop)
        handle = desktop.saver_handle()
        assert desktop.probe("send", handle, WM_SETTEXT, 0, 0, "Changed") == "0"
        assert subprocess.run(["xdotool", "getwindowname", str(window)], env=desktop.env,
                              capture_output=True, text=True).stdout.strip() == "Screen Saver"
        assert desktop.probe("send", handle, WM_SYSCOMMAND, SC_SCREENSAVE, 0) == "0"
        assert desktop.probe("send", handle, WM_POWERBROADCAST, 7, 1) != "failed"  # resume after failure
        assert desktop.probe("send", handle, WM_POWERBROADCAST, 0x0A, 0) != "failed"  # AC line unchanged
        assert still_running(saver)
        desktop.probe("send", handle, WM_SYSCOMMAND, SC_MONITORPOWER, 2)
        assert exit_code(saver) == 0

        for message, wparam, lparam in ((WM_POWERBROADCAST, 4, 0), (WM_POWERBROADCAST, 7, 0),
                                        (WM_POWERBROADCAST, 0x12, 0), (WM_POWER, 3, 0)):
            saver, _ = start_full_screen(desktop)
            desktop.probe("post", desktop.saver_handle(), message, wparam, lparam)
            assert exit_code(saver) == 0, (message, wparam)


def test_a_second_full_screen_start_leaves_the_first_alone():
    with Desktop() as desktop:
        first, _ = start_full_screen(desktop)
        assert desktop.run_saver("/s") == 0
        assert len(desktop.windows("Screen Saver")) == 1
        assert still_running(first, 0.2)
        desktop.xdotool("key", "space")
        assert exit_code(first) == 0


def test_preview_fills_its_parent_ignores_input_and_forwards_help():
    with Desktop() as desktop:
        host, host_handle, child = desktop.start_preview_host(152, 112)
        assert child != 0
        # The child covers the parent's whole client area.
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
        host.stdin.write("contextmenu\n")
        assert host.stdout.readline().strip() == "received contextmenu wparam-is-host=1 lparam=5678"
        host.stdin.write("close\n")
        assert host.stdout.readline().strip() == "saver-exit 0"
        host.wait(timeout=20)


if __name__ == "__main__":
    run_test(test_exit_codes_of_the_option_table)
    run_test(test_full_screen_covers_the_virtual_screen_and_closes_on_a_key)
    run_test(test_mouse_travel_of_four_stays_and_five_closes)
    run_test(test_messages_it_ignores_and_those_that_close_it)
    run_test(test_a_second_full_screen_start_leaves_the_first_alone)
    run_test(test_preview_fills_its_parent_ignores_input_and_forwards_help)
