"""zovi.scr /s with every effect on: the engine's journal over sweeps, the screen and tools/room in their colours."""

import colorsys
import json
import os
import re
import subprocess
import time
from collections import Counter

from zovi_e2e import ROOT, Desktop, Frame, run_tests

SCRIPTS = {name: open(os.path.join(ROOT, "src", "effects", "scripts", name + ".txt"), "rb").read().decode("latin-1")
           for name in ("light_fade_to_black", "fan", "rumble")}
ROOM = os.path.join(ROOT, "tools", "room")
TEARDOWN = ["player.release", "engine.release", "root.release", "link.releaseCallback", "server.release"]


def link_calls(entries):
    """The calls of the link itself, without COM's reference counting on the server object."""
    return [e for e in entries if e["table"] not in ("faults", "lights") and not (e["table"] == "server" and (
        e["call"] in ("addRef", "queryInterface") or e["call"] == "release" and e["result"] > 0))]


def hue_of(frame):
    """The hue of the brightest tenth of the unsaturated glow, where no channel is cut at zero yet."""
    glow = sorted((p for p in frame.lit(threshold=60, step=3) if max(p[2:]) < 250), key=lambda p: sum(p[2:]))
    brightest = glow[-max(1, len(glow) // 10):]
    return colorsys.rgb_to_hsv(*(sum(p[i] for p in brightest) for i in (2, 3, 4)))[0] * 360, len(glow)


def check_the_room_picture(entries, colours, folder):
    """tools/room on the journal plus a refused script, an untaken green one and a cut line: all sweeps, no green."""
    lights = [e for e in entries if e["call"] == "playScript" and e.get("parsed", {}).get("colours")]
    extra = [{"time": lights[0]["time"] + 1, "call": "playScript", "result": result,
              "script": "zovi-effects 1\nat 0ms light everywhere colour %s\n" % colour}
             for result, colour in ((3003, "_VALUE_"), (4343, "0 100 0"))]
    lines = [json.dumps(e) for e in sorted(entries + extra, key=lambda e: e["time"])]
    journal, drawing, none = (os.path.join(folder, f) for f in ("journal.jsonl", "room.png", "none"))
    open(journal, "w").write("\n".join(lines) + "\n" + lines[-1][:40])
    drawn = subprocess.run([ROOM, journal, drawing], capture_output=True, text=True, timeout=300)
    assert drawn.returncode == 0 and "%d sweeps" % len(lights) in drawn.stdout, drawn.stdout + drawn.stderr
    assert all(said in drawn.stderr for said in ("refused", "(result 4343)", "middle of a line"))
    frame = Frame("convert", drawing)
    assert (frame.width, frame.height) == (1500, 1000)
    targets = [[round(c * 2.55) for c in colour] for colour in colours[:-1] + [(0, 100, 0)]]
    counts = Counter((y * 3 // frame.height, x * 3 // frame.width, i) for x, y, *rgb in frame.lit(threshold=0)
                     for i, target in enumerate(targets) if all(abs(a - b) <= 3 for a, b in zip(rgb, target)))
    for panel in ((r, c) for r in range(3) for c in range(3)):
        assert all(counts[panel + (i,)] > 50 for i in range(len(targets) - 1)), (counts, colours)
        assert not counts[panel + (len(targets) - 1,)], counts
    missing = subprocess.run([ROOM, none + ".jsonl", none + ".png"], capture_output=True, text=True, timeout=60)
    assert missing.returncode != 0 and "no journal" in missing.stderr and not os.path.exists(none + ".png")


def test_each_sweep_sends_the_enabled_scripts_in_its_colour_as_the_screen_and_the_room_show_it():
    with Desktop(effects=True) as desktop:
        saver, frames = desktop.saver("/s"), []
        while sum(e["call"] == "playScript" for e in desktop.journal()) < 12:  # into the fourth sweep
            frames.append((time.time(), Frame("import", "-window", "root", env=desktop.env), time.time()))
        assert desktop.close(saver) == 0
        entries = desktop.journal()
        calls = link_calls(entries)
        names = [e["table"] + "." + e["call"] for e in calls]
        assert names[:4] == ["factory.createInstance", "server.requestRoot", "root.openEngine", "engine.createPlayer"]
        window, server = calls[1]["thread"], calls[0]["thread"]
        # Teardown closes the journal on the window thread, but for the server's release on its own; nothing refused.
        assert names[-5:] == TEARDOWN, names[-8:]
        assert server != window and [e["thread"] for e in calls[-5:]] == [window] * 4 + [server]
        assert all(e["result"] in (0, 1000) for e in calls), [e for e in calls if e["result"] not in (0, 1000)]

        sends = calls[4:-5]
        assert len(sends) % 3 == 0 and len(sends) >= 12, names
        cycles = [sends[i:i + 3] for i in range(0, len(sends), 3)]
        light = re.compile(re.escape(SCRIPTS["light_fade_to_black"]).replace("_VALUE_", "([0-9 ]+)"))
        colours = [[int(v) for v in light.fullmatch(cycle[0]["script"])[1].split()] for cycle in cycles]
        assert all([e["script"] for e in cycle[1:]] == [SCRIPTS["fan"], SCRIPTS["rumble"]] for cycle in cycles)
        # The first sweep starts on the window thread, every later one on the animation thread.
        assert [{e["thread"] == window for e in cycle} for cycle in cycles] == [{True}] + [{False}] * (len(cycles) - 1)
        # Every colour of the logo has one channel at 0.7 and one at 0.21: 69 and 20 as text.
        assert all(69 in c and 20 in c for c in colours) and len({tuple(c) for c in colours}) > 1, colours

        # Each screenshot taken wholly within a sweep, with the glow near its fullest, shows its colour.
        starts = [cycle[0]["time"] / 1000 for cycle in cycles] + [entries[-1]["time"] / 1000]
        seen = [(i, *hue_of(frame)) for taken, frame, done in frames
                for i in range(len(cycles)) if starts[i] < taken and done < starts[i + 1]]
        fullest = {index: max(g for i, _, g in seen if i == index) for index, _, _ in seen}
        compared = [(index, hue) for index, hue, glow in seen if glow >= max(50, 0.6 * fullest[index])]
        for index, hue in compared:
            off = (hue - colorsys.rgb_to_hsv(*colours[index])[0] * 360) % 360
            assert min(off, 360 - off) < 10, (index, colours, hue)
        assert len({index for index, _ in compared}) >= 2 and len(compared) >= 4, compared
        check_the_room_picture(entries, colours, desktop.work.name)


if __name__ == "__main__":
    run_tests(globals())
