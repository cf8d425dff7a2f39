"""The live preview draws the moving logo inside its parent. Debian 12's Wine never shows an OpenGL
child window's drawing on the screen (the preview box stays grey there), so the frames are read from
the off-screen X window Wine draws the child into."""

import subprocess

from zovi_e2e import ROOT, Desktop, parse_ppm, run_test, wait_for


def logo_frame(desktop):
    """The child's latest frame if it shows the logo in its colours (not the grey of an empty box)."""
    window = subprocess.run(["bash", "-c", 'source "$0/tools/wine-env" && zovi_offscreen_window 152 112', ROOT],
                            env=desktop.env, capture_output=True, text=True).stdout.strip()
    ppm = window and subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=desktop.env,
                                    capture_output=True).stdout
    frame = parse_ppm(ppm) if ppm else None
    glow = frame and [p for p in frame.lit(threshold=60, step=1) if max(p[2:]) - min(p[2:]) > 40]
    return frame if glow and len(glow) > 10 else None


def test_preview_frames_show_the_moving_logo():
    with Desktop() as desktop:
        host, _, child = desktop.start_preview_host(152, 112)
        assert child != 0
        first = wait_for(lambda: logo_frame(desktop), what="the logo in the preview's frames")
        # Clipped to the screen, which the window overhangs by one pixel at the top and the left.
        assert (first.width, first.height) == (151, 111)
        wait_for(lambda: (logo_frame(desktop) or first).data != first.data, what="a later frame that differs")
        host.stdin.write("close\n")
        assert host.stdout.readline().strip() == "saver-exit 0"
        host.wait(timeout=20)


if __name__ == "__main__":
    run_test(test_preview_frames_show_the_moving_logo)
