"""A saver that always ends, whatever the engine does: with an engine call that never returns on the
animation thread, or with the effects link's server thread held in the engine as it should end, a
key still ends the process within a few seconds, and the next full-screen start runs normally."""

import time

from test_effects_link import Journal, SettingsFile, register_engine
from zovi_e2e import Desktop, exit_code, run_test, wait_for

# With all three effects on, the engine's first seven calls are the server's creation, requestRoot,
# openEngine, createPlayer and the first cycle's three sends, all on the window thread; the eighth is
# the second cycle's light, the first call the animation thread makes. It is held for ten minutes.
HOLD_THE_ANIMATION_THREAD = "delay=600000,delayFrom=8"
# The server object's last release is made by the server thread after it is told to quit.
HOLD_THE_SERVER_THREAD = "holdRelease=600000"


def held(journal, call):
    return any(e["table"] == "faults" and e["call"] == call for e in journal.entries())


def check_the_saver_ends(faults, held_call, hold_before_key):
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            desktop.env["ZOVI_EFFECTS_FAULTS"] = faults
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            if hold_before_key:
                wait_for(lambda: held(journal, held_call), timeout=30, what="the engine holding a call")
            else:
                wait_for(lambda: any(e["call"] == "playScript" for e in journal.entries()),
                         what="the effects link playing its first cycle")
            closed = time.monotonic()
            desktop.xdotool("key", "space")
            assert exit_code(saver, timeout=15) == 0
            took = time.monotonic() - closed
            print("the saver ended %.1f s after the key" % took)
            assert took < 8, "the saver took %.1f s to end" % took
            assert held(journal, held_call), "the engine never held the call this test is about"

            del desktop.env["ZOVI_EFFECTS_FAULTS"]
            again = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the next saver's window")
            desktop.xdotool("key", "space")
            assert exit_code(again) == 0
        finally:
            journal.remove()


def test_a_hung_engine_call_does_not_keep_the_saver_alive():
    check_the_saver_ends(HOLD_THE_ANIMATION_THREAD, "delay", hold_before_key=True)


def test_a_server_thread_held_in_the_engine_does_not_keep_the_saver_alive():
    check_the_saver_ends(HOLD_THE_SERVER_THREAD, "holdRelease", hold_before_key=False)


if __name__ == "__main__":
    run_test(test_a_hung_engine_call_does_not_keep_the_saver_alive)
    run_test(test_a_server_thread_held_in_the_engine_does_not_keep_the_saver_alive)
