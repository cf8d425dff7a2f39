"""The README's run command on its own private X server: a short preview run ends 0, leaves none of
the programs it started running, and saves frames that show the logo."""

import glob
import os
import subprocess
import time
import uuid

from zovi_e2e import ROOT, parse_ppm, run_test, wait_for


def started_by(marker):
    """Processes whose environment carries marker: everything the command started, Xvfb and Wine's
    server included."""
    found = []
    for environ in glob.glob("/proc/[0-9]*/environ"):
        try:
            with open(environ, "rb") as f:
                if marker in f.read().split(b"\0"):
                    found.append(environ.split("/")[2])
        except OSError:
            pass
    return found


def test_a_short_preview_run_ends_cleanly():
    marker = "ZOVI_RUN_TEST=" + uuid.uuid4().hex
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    env.update(ZOVI_RUN_SECONDS="2", ZOVI_RUN_TEST=marker.split("=")[1])
    started = time.monotonic()
    run = subprocess.run([os.path.join(ROOT, "tools", "run"), "/p"], env=env, capture_output=True, text=True,
                         timeout=300)
    print("tools/run /p took %.1f s" % (time.monotonic() - started))
    assert run.returncode == 0, run.stdout + run.stderr
    assert "geometry does not contain image" not in run.stderr, run.stderr
    # Wine's processes go down with their server; give them the moment that takes.
    wait_for(lambda: not started_by(marker.encode()), timeout=5, what="everything tools/run started to end")
    frames = [parse_ppm(subprocess.run(["convert", f, "-depth", "8", "ppm:-"], capture_output=True).stdout)
              for f in sorted(glob.glob(os.path.join(ROOT, "out", "frames", "[0-9][0-9][0-9].png")))]
    glow = [[p for p in f.lit(threshold=60) if max(p[2:]) - min(p[2:]) > 40] for f in frames]
    assert any(len(g) > 5 for g in glow), "no frame shows the preview's logo"


if __name__ == "__main__":
    run_test(test_a_short_preview_run_ends_cleanly)
