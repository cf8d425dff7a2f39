"""Whatever the engine does, the saver starts and ends: a start-up hang ends it within 10 s (a preview too), a slow
teardown runs whole, an end hang is cut 3 s after the last step, and each run after a hang starts normally."""

import time

from test_effects_link import TEARDOWN, link_calls
from zovi_e2e import Desktop, exit_code, run_tests, wait_for

# Calls count from the engine's loading: creation 1, requestRoot 2, openEngine 3, createPlayer 4, the first sweep's
# sends 5-7 (window thread, in WM_CREATE); 8 is the animation thread's first. One held ten minutes never returns.
HOLD = "delay=600000,delayFrom=%d"


def faults_seen(desktop, call):
    return any(e["table"] == "faults" and e["call"] == call for e in desktop.journal())


def closed_after(desktop, faults, held=None):
    """Seconds from the key to the exit (with 0) of zovi.scr /s, the engine failing as faults say."""
    desktop.env["ZOVI_EFFECTS_FAULTS"] = faults
    saver = desktop.saver("/s")
    wait_for(lambda: any(e["call"] == "playScript" for e in desktop.journal()), what="the first sweep")
    if held:
        wait_for(lambda: faults_seen(desktop, held), timeout=30, what="the engine holding a call")
    pressed = time.monotonic()
    assert desktop.close(saver, timeout=40) == 0
    return time.monotonic() - pressed


def test_an_engine_that_hangs_at_the_start_ends_the_saver_and_its_preview_within_ten_seconds(desktop):
    began = time.monotonic()
    desktop.env["ZOVI_EFFECTS_FAULTS"] = HOLD % 2  # requestRoot
    saver = desktop.saver("/s", window=None)
    desktop.env["ZOVI_EFFECTS_FAULTS"] = HOLD % 3  # openEngine, in a preview at the same time
    host, _, _ = desktop.preview_host()
    assert exit_code(saver, timeout=30) == -1
    assert host.stdout.readline().strip() == "saver-exit -1"
    took = time.monotonic() - began
    print("both ended %.1f s after they started" % took)
    assert took < 16 and faults_seen(desktop, "delay"), took


def test_an_engine_that_hangs_at_the_end_is_cut_and_the_next_start_runs(desktop):
    # The animation thread held in an engine call before the key, the server thread in the last release after it.
    for faults, held, before_key in ((HOLD % 8, "delay", True), ("holdRelease=600000", "holdRelease", False)):
        took = closed_after(desktop, faults, held if before_key else None)
        print("%s: the saver ended %.1f s after the key" % (held, took))
        assert took < 8 and faults_seen(desktop, held), (took, "the engine never held the call")


def test_a_slow_engine_gets_its_whole_teardown_in_order_even_when_it_sends_to_the_saver(desktop):
    # Five steps of 1.2 s each: 6 s in all, twice what the watchdog allows a stall.
    took = closed_after(desktop, "slowRelease=1200,sendOnRelease=1")
    print("the slow teardown took %.1f s" % took)
    names = [e["table"] + "." + e["call"] for e in link_calls(desktop.journal())]
    assert took > 5.5 and names[-5:] == TEARDOWN, (took, names[-8:])
    assert faults_seen(desktop, "sentToSaver"), "the window thread did not answer the engine"


if __name__ == "__main__":
    with Desktop(effects=True) as shared:
        run_tests(globals(), shared)
