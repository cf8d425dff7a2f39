"""A saver that always starts and always ends, whatever the engine does: an engine that hangs while
the saver starts ends the process within 10 s (also in a preview), a slow engine gets its whole
teardown, one that hangs as the saver ends is cut 3 s after its last step, and the next full-screen
start runs normally every time."""

import time

from test_effects_link import TEARDOWN, Journal, SettingsFile, link_calls, name, register_engine
from zovi_e2e import Desktop, exit_code, run_test, wait_for

# With all three effects on, the engine's calls are numbered from its loading: the server's creation
# (1), requestRoot (2), openEngine (3), createPlayer (4), the first cycle's three sends (5-7), all on
# the window thread inside WM_CREATE; the eighth is the second cycle's light, the first call the
# animation thread makes. A call held for ten minutes never returns as far as the saver can tell.
HOLD = "delay=600000,delayFrom=%d"


def faults_seen(journal, call):
    return any(e["table"] == "faults" and e["call"] == call for e in journal.entries())


def a_next_start_runs_normally(desktop):
    desktop.env.pop("ZOVI_EFFECTS_FAULTS", None)
    again = desktop.start_saver("/s")
    wait_for(lambda: desktop.windows("Screen Saver"), what="the next saver's window")
    desktop.xdotool("key", "space")
    assert exit_code(again) == 0


def close_and_time(desktop, saver):
    closed = time.monotonic()
    desktop.xdotool("key", "space")
    assert exit_code(saver, timeout=40) == 0
    return time.monotonic() - closed


def test_an_engine_that_hangs_at_the_start_ends_the_saver_and_its_preview_within_ten_seconds():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            started = time.monotonic()
            desktop.env["ZOVI_EFFECTS_FAULTS"] = HOLD % 2  # requestRoot
            saver = desktop.start_saver("/s")
            desktop.env["ZOVI_EFFECTS_FAULTS"] = HOLD % 3  # openEngine, in a preview at the same time
            host, _, _ = desktop.start_preview_host()
            assert exit_code(saver, timeout=30) == -1
            assert host.stdout.readline().strip() == "saver-exit -1"
            took = time.monotonic() - started
            print("both ended %.1f s after they started" % took)
            assert took < 16, took
            assert faults_seen(journal, "delay")
            a_next_start_runs_normally(desktop)
        finally:
            journal.remove()


def test_a_slow_engine_gets_its_whole_teardown_in_order_even_when_it_sends_to_the_saver():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            # Five steps of 1.2 s each: 6 s in all, twice what the watchdog allows a stall.
            desktop.env["ZOVI_EFFECTS_FAULTS"] = "slowRelease=1200,sendOnRelease=1"
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            wait_for(lambda: any(e["call"] == "playScript" for e in journal.entries()), what="the first cycle")
            took = close_and_time(desktop, saver)
            print("the slow teardown took %.1f s" % took)
            assert took > 5.5, took
            names = [name(e) for e in link_calls(journal.entries()) if e["table"] != "faults"]
            assert names[-5:] == TEARDOWN, names[-8:]
            assert faults_seen(journal, "sentToSaver"), "the window thread did not answer the engine"
        finally:
            journal.remove()


def test_an_engine_that_hangs_at_the_end_is_cut_and_the_next_start_runs():
    # The animation thread held in an engine call, and the server thread held in the last release.
    for faults, held in ((HOLD % 8, "delay"), ("holdRelease=600000", "holdRelease")):
        with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
            register_engine(desktop)
            journal = Journal(desktop)
            try:
                desktop.env["ZOVI_EFFECTS_FAULTS"] = faults
                saver = desktop.start_saver("/s")
                wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
                wait_for(lambda: any(e["call"] == "playScript" for e in journal.entries()), what="the first cycle")
                if held == "delay":
                    wait_for(lambda: faults_seen(journal, held), timeout=30, what="the engine holding a call")
                took = close_and_time(desktop, saver)
                print("%s: the saver ended %.1f s after the key" % (held, took))
                assert took < 8, took
                assert faults_seen(journal, held), "the engine never held the call this test is about"
                a_next_start_runs_normally(desktop)
            finally:
                journal.remove()


if __name__ == "__main__":
    run_test(test_an_engine_that_hangs_at_the_start_ends_the_saver_and_its_preview_within_ten_seconds)
    run_test(test_a_slow_engine_gets_its_whole_teardown_in_order_even_when_it_sends_to_the_saver)
    run_test(test_an_engine_that_hangs_at_the_end_is_cut_and_the_next_start_runs)
