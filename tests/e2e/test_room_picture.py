"""tools/room on the journal of a real run with every effect on, a refused script, one not taken and a
cut-off line added: each sweep's colour in every location's panel. Without a journal, no picture."""

import json
import os
import subprocess
import tempfile
from collections import Counter

from test_effects_link import Journal, SettingsFile, register_engine
from zovi_e2e import ROOT, Desktop, exit_code, parse_ppm, run_test, wait_for

ROOM = os.path.join(ROOT, "tools", "room")


def colour_counts(frame, colours):
    """{(row, column, colour index): every second pixel each way of that third within 3 of the colour}."""
    targets = [[round(c * 2.55) for c in colour] for colour in colours]
    return Counter((y * 3 // frame.height, x * 3 // frame.width, i)
                   for y in range(0, frame.height, 2) for x in range(0, frame.width, 2)
                   for i, target in enumerate(targets)
                   if all(abs(a - b) <= 3 for a, b in zip(frame.pixel(x, y), target)))


def test_the_room_picture_of_a_run_with_every_effect_on():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            sends = lambda: [e for e in journal.entries() if e["call"] == "playScript"]
            wait_for(lambda: len(sends()) >= 7, what="the third sweep's scripts")
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0
            entries = journal.entries()
        finally:
            journal.remove()

    lights = [e for e in entries if e["call"] == "playScript" and e.get("parsed", {}).get("colours")]
    colours = [[int(v) for v in e["parsed"]["colours"][0].split()] for e in lights[:-1]]  # fully lit sweeps
    # Sent with the first sweep's scripts: one the engine refused, one it did not take.
    extra = [{"time": lights[0]["time"] + 1, "call": "playScript", "result": result,
              "script": "zovi-effects 1\nat 0ms light everywhere colour %s\n" % colour}
             for result, colour in ((3003, "_VALUE_"), (4343, "0 100 0"))]
    lines = [json.dumps(e) for e in sorted(entries + extra, key=lambda e: e["time"])]
    with tempfile.TemporaryDirectory() as folder:
        path, picture = os.path.join(folder, "journal.jsonl"), os.path.join(folder, "room.png")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n" + lines[-1][:40])
        drawn = subprocess.run([ROOM, path, picture], capture_output=True, text=True, timeout=300)
        print(drawn.stdout + drawn.stderr)
        assert drawn.returncode == 0 and f"{len(lights)} sweeps" in drawn.stdout
        assert all(said in drawn.stderr for said in ("refused", "(result 4343)", "middle of a line"))
        frame = parse_ppm(subprocess.run(["convert", picture, "-depth", "8", "ppm:-"], capture_output=True,
                                         check=True).stdout)
        assert (frame.width, frame.height) == (1500, 1000)
        # Every light is addressed everywhere: each panel (a third of the picture each way) holds a
        # band of each sweep's colour, and none of the colour of the script the engine did not take.
        counts = colour_counts(frame, colours + [(0, 100, 0)])
        for row, column in ((r, c) for r in range(3) for c in range(3)):
            assert all(counts[row, column, i] > 50 for i in range(len(colours))), (counts, colours)
            assert not counts[row, column, len(colours)], counts
        picture = os.path.join(folder, "none.png")
        missing = subprocess.run([ROOM, os.path.join(folder, "none.jsonl"), picture], capture_output=True,
                                 text=True, timeout=60)
        assert missing.returncode != 0 and "no journal" in missing.stderr and not os.path.exists(picture)


if __name__ == "__main__":
    run_test(test_the_room_picture_of_a_run_with_every_effect_on)
