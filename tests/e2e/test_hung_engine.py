"""A saver that always ends, whatever the engine does: with an engine call that never returns on the
animation thread, a key still ends the process within a few seconds, and the next full-screen start
runs normally."""

import time

from test_effects_link import Journal, SettingsFile, register_engine
from zovi_e2e import Desktop, exit_code, run_test, wait_for

# With all three effects on, the engine's first seven calls are the server's creation, requestRoot,
# openEngine, createPlayer and the first cycle's three sends, all on the window thread; the eighth is
# the second cycle's light, the first call the animation thread makes. It is held for ten minutes.
HOLD_THE_ANIMATION_THREAD = "delay=600000,delayFrom=8"


def test_a_hung_engine_call_does_not_keep_the_saver_alive():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            desktop.env["ZOVI_EFFECTS_FAULTS"] = HOLD_THE_ANIMATION_THREAD
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            wait_for(lambda: any(e["table"] == "faults" and e["call"] == "delay" for e in journal.entries()),
                     timeout=30, what="the engine holding a call of the animation thread")
            closed = time.monotonic()
            desktop.xdotool("key", "space")
            assert exit_code(saver, timeout=15) == 0
            took = time.monotonic() - closed
            print("the saver ended %.1f s after the key" % took)
            assert took < 8, "the saver took %.1f s to end" % took

            del desktop.env["ZOVI_EFFECTS_FAULTS"]
            again = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the next saver's window")
            desktop.xdotool("key", "space")
            assert exit_code(again) == 0
        finally:
            journal.remove()


if __name__ == "__main__":
    run_test(test_a_hung_engine_call_does_not_keep_the_saver_alive)
