"""tools/room on the journal of a real run with every effect on, with a script the engine refused, one
it did not take and a line cut off added to it: one picture of the room, each sweep's colour in every
location's panel; and no picture without a journal."""

import json
import os
import subprocess
import tempfile

from test_effects_link import Journal, SettingsFile, register_engine
from zovi_e2e import ROOT, Desktop, exit_code, parse_ppm, run_test, wait_for

ROOM = os.path.join(ROOT, "tools", "room")


def colour_counts(frame, colours):
    """Every second pixel each way within 3 of a colour (percentages), by colour and by third of the
    picture each way: {(row, column, colour index): count}."""
    targets = [[round(c * 2.55) for c in colour] for colour in colours]
    counts = {}
    for y in range(0, frame.height, 2):
        for x in range(0, frame.width, 2):
            pixel = frame.pixel(x, y)
            for index, target in enumerate(targets):
                if all(abs(a - b) <= 3 for a, b in zip(pixel, target)):
                    key = (y * 3 // frame.height, x * 3 // frame.width, index)
                    counts[key] = counts.get(key, 0) + 1
    return counts


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
    after = lights[0]["time"] + 1  # sent with the first sweep's scripts
    extra = [{"time": after, "table": "player", "call": "playScript", "result": 3003,
              "script": "zovi-effects 1\nat 0ms light everywhere colour _VALUE_\n", "parsed": {}},
             {"time": after, "table": "player", "call": "playScript", "result": 4343,
              "script": "zovi-effects 1\nat 0ms light everywhere colour 0 100 0\n", "parsed": {}}]
    lines = [json.dumps(e) for e in sorted(entries + extra, key=lambda e: e["time"])]
    with tempfile.TemporaryDirectory() as folder:
        path, picture = os.path.join(folder, "journal.jsonl"), os.path.join(folder, "room.png")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n" + lines[-1][:40])
        drawn = subprocess.run([ROOM, path, picture], capture_output=True, text=True, timeout=300)
        print(drawn.stdout + drawn.stderr)
        assert drawn.returncode == 0 and f"{len(lights)} sweeps" in drawn.stdout
        assert "refused" in drawn.stderr and "(result 4343)" in drawn.stderr and "middle of a line" in drawn.stderr
        frame = parse_ppm(subprocess.run(["convert", picture, "-depth", "8", "ppm:-"], capture_output=True,
                                         check=True).stdout)
        assert (frame.width, frame.height) == (1500, 1000)
        # Every light is addressed everywhere: each panel (a third of the picture each way) holds a
        # band of each sweep's colour, and none of the colour of the script the engine did not take.
        counts = colour_counts(frame, colours + [(0, 100, 0)])
        for row in range(3):
            for column in range(3):
                assert all(counts.get((row, column, i), 0) > 50 for i in range(len(colours))), (counts, colours)
                assert (row, column, len(colours)) not in counts, counts

        os.unlink(picture)
        missing = subprocess.run([ROOM, os.path.join(folder, "none.jsonl"), picture], capture_output=True,
                                 text=True, timeout=60)
        assert missing.returncode != 0 and "no journal" in missing.stderr and not os.path.exists(picture)


if __name__ == "__main__":
    run_test(test_the_room_picture_of_a_run_with_every_effect_on)
