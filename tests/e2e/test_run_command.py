"""tools/run ends 0 leaving nothing it started running, also after a saver that ended at once; /p shows the logo."""

import glob
import os
import subprocess
import uuid

from zovi_e2e import ROOT, Frame, run_tests, wait_for


def run_briefly(option, seconds):
    """tools/run OPTION without a display; then none of what it started, Xvfb and Wine included, runs."""
    marker = uuid.uuid4().hex
    env = dict({k: v for k, v in os.environ.items() if k != "DISPLAY"}, ZOVI_RUN_SECONDS=seconds, ZOVI_RUN_TEST=marker)
    run = subprocess.run([os.path.join(ROOT, "tools", "run"), option], env=env, capture_output=True, text=True,
                         timeout=300)
    assert run.returncode == 0 and "geometry does not contain image" not in run.stderr, run.stdout + run.stderr
    # Wine's programs go down with its server; give them the moment that takes.
    grep = ["grep", "-lsaF", "ZOVI_RUN_TEST=" + marker]  # in the environment of any process still running
    wait_for(lambda: not subprocess.run(grep + glob.glob("/proc/[0-9]*/environ"), capture_output=True).stdout, 5,
             "all it started to end")


def test_runs_end_cleanly_and_a_preview_run_shows_the_logo():
    run_briefly("/x", "5")  # an option the saver refuses: it ends at once
    run_briefly("/p", "4")  # a few seconds: the first frames of a cycle are dark
    assert any(sum(max(p[2:]) - min(p[2:]) > 40 for p in Frame("convert", f).lit(threshold=60)) > 5
               for f in glob.glob(os.path.join(ROOT, "out", "frames", "[0-9][0-9][0-9].png"))), "no logo in colour"


if __name__ == "__main__":
    run_tests(globals())
