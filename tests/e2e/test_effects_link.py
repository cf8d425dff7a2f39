"""The saver and the ambient-effects engine, end to end, in one run of zovi.scr /s with every effect on
and the substitute engine registered: the engine's journal over several sweeps, the screen showing
each sweep's colour, and tools/room's picture of the room drawn from that journal."""

import colorsys
import getpass
import json
import os
import subprocess
import tempfile
import time
from collections import Counter

from zovi_e2e import BUILD, ROOT, Desktop, exit_code, parse_ppm, run_test, wait_for, windows_path

ENGINE = os.environ.get("ZOVI_EFFECTS_ENGINE", os.path.join(BUILD, "engine", "zovi_effects_engine.dll"))
TEARDOWN = ["player.release", "engine.release", "root.release", "link.releaseCallback", "server.release"]


def script(name):
    with open(os.path.join(ROOT, "src", "effects", "scripts", name), "rb") as f:
        return f.read().decode("latin-1")


def register_engine(desktop):
    subprocess.run(["wine", "regsvr32", "/s", windows_path(ENGINE)], env=desktop.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Journal:
    """The engine's journal for one run, in a file of its own."""

    def __init__(self, desktop):
        handle, self.path = tempfile.mkstemp(prefix="zovi-journal-", suffix=".jsonl")
        os.close(handle)
        os.unlink(self.path)
        desktop.env["ZOVI_EFFECTS_JOURNAL"] = windows_path(self.path)
        desktop.env.pop("ZOVI_EFFECTS_FAULTS", None)

    def entries(self):
        if not os.path.exists(self.path):
            return []
        with open(self.path, "rb") as f:
            lines = f.read().decode("latin-1").split("\n")
        return [json.loads(line) for line in lines[:-1]]  # the last may still be being written

    def remove(self):
        if os.path.exists(self.path):
            os.unlink(self.path)


class SettingsFile:
    """The saver's settings file in the prefix's application-data folder, put back afterwards."""

    def __init__(self, desktop, *values):
        self.path = os.path.join(desktop.env["WINEPREFIX"], "drive_c", "users", getpass.getuser(),
                                 "AppData", "Roaming", "Zovi Logo Screensaver.txt")
        self.values = values

    def __enter__(self):
        self.before = open(self.path, "rb").read() if os.path.exists(self.path) else None
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        with open(self.path, "wb") as f:
            f.write(b"".join((b"true" if v else b"false") + b"\r\r\n" for v in self.values))

    def __exit__(self, *exc):
        if self.before is None:
            os.unlink(self.path)
        else:
            with open(self.path, "wb") as f:
                f.write(self.before)


def name(entry):
    return entry["table"] + "." + entry["call"]


def link_calls(entries):
    """The calls of the link itself, without COM's reference bookkeeping on the server object."""
    return [e for e in entries if not (e["table"] == "server" and e["call"] in ("addRef", "queryInterface"))
            and not (name(e) == "server.release" and e["result"] > 0)]


def hue_of(frame):
    """The hue of the brightest tenth of the unsaturated glow: every point shows its sweep's colour less
    the same on each channel, which keeps the hue, but far from the spot a channel is cut at zero."""
    glow = sorted((p for p in frame.lit(threshold=60, step=3) if max(p[2:]) < 250), key=lambda p: sum(p[2:]))
    brightest = glow[-max(1, len(glow) // 10):]
    r, g, b = (sum(p[i] for p in brightest) for i in (2, 3, 4))
    return colorsys.rgb_to_hsv(r, g, b)[0] * 360, len(glow)


def check_the_room_picture(entries, colours):
    """tools/room on the run's journal with a refused script, one the engine did not take (pure green)
    and a cut-off line added: each fully lit sweep's colour in every panel, none of the green."""
    lights = [e for e in entries if e["call"] == "playScript" and e.get("parsed", {}).get("colours")]
    extra = [{"time": lights[0]["time"] + 1, "call": "playScript", "result": result,
              "script": "zovi-effects 1\nat 0ms light everywhere colour %s\n" % colour}
             for result, colour in ((3003, "_VALUE_"), (4343, "0 100 0"))]
    lines = [json.dumps(e) for e in sorted(entries + extra, key=lambda e: e["time"])]
    room = os.path.join(ROOT, "tools", "room")
    with tempfile.TemporaryDirectory() as folder:
        journal, picture = os.path.join(folder, "journal.jsonl"), os.path.join(folder, "room.png")
        with open(journal, "w") as f:
            f.write("\n".join(lines) + "\n" + lines[-1][:40])
        drawn = subprocess.run([room, journal, picture], capture_output=True, text=True, timeout=300)
        assert drawn.returncode == 0 and "%d sweeps" % len(lights) in drawn.stdout, drawn.stdout + drawn.stderr
        assert all(said in drawn.stderr for said in ("refused", "(result 4343)", "middle of a line"))
        frame = parse_ppm(subprocess.run(["convert", picture, "-depth", "8", "ppm:-"], capture_output=True,
                                         check=True).stdout)
        assert (frame.width, frame.height) == (1500, 1000)
        targets = [[round(c * 2.55) for c in colour] for colour in colours[:-1] + [(0, 100, 0)]]
        counts = Counter((y * 3 // frame.height, x * 3 // frame.width, i)
                         for y in range(0, frame.height, 2) for x in range(0, frame.width, 2)
                         for i, target in enumerate(targets)
                         if all(abs(a - b) <= 3 for a, b in zip(frame.pixel(x, y), target)))
        for panel in ((r, c) for r in range(3) for c in range(3)):
            assert all(counts[panel + (i,)] > 50 for i in range(len(targets) - 1)), (counts, colours)
            assert not counts[panel + (len(targets) - 1,)], counts
        missing = subprocess.run([room, os.path.join(folder, "none.jsonl"), os.path.join(folder, "none.png")],
                                 capture_output=True, text=True, timeout=60)
        assert missing.returncode != 0 and "no journal" in missing.stderr
        assert not os.path.exists(os.path.join(folder, "none.png"))


def test_each_sweep_sends_the_enabled_scripts_in_its_colour_as_the_screen_and_the_room_show_it():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            frames = []
            while sum(e["call"] == "playScript" for e in journal.entries()) < 12:  # into the fourth sweep
                frames.append((time.time(), desktop.screenshot(), time.time()))
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0
            entries = journal.entries()
        finally:
            journal.remove()

    calls = link_calls(entries)
    names = [name(e) for e in calls]
    assert names[:4] == ["factory.createInstance", "server.requestRoot", "root.openEngine", "engine.createPlayer"]
    window_thread, server_thread = calls[1]["thread"], calls[0]["thread"]
    assert server_thread != window_thread
    # Teardown closes the journal on the window thread, but for the server's release; nothing refused.
    assert names[-5:] == TEARDOWN, names[-8:]
    assert [e["thread"] for e in calls[-5:]] == [window_thread] * 4 + [server_thread]
    assert all(e["result"] in (0, 1000) for e in calls), [e for e in calls if e["result"] not in (0, 1000)]

    sends = calls[4:-5]
    assert len(sends) % 3 == 0 and len(sends) >= 12, names
    cycles = [sends[i:i + 3] for i in range(0, len(sends), 3)]
    before, after = script("light_fade_to_black.txt").split("_VALUE_", 1)
    colours = []
    for index, cycle in enumerate(cycles):
        light = cycle[0]["script"]
        assert light.startswith(before) and light.endswith(after), light
        colours.append([int(v) for v in light[len(before):len(light) - len(after)].split()])
        assert [e["script"] for e in cycle[1:]] == [script("fan.txt"), script("rumble.txt")]
        # The first sweep starts on the window thread, every later one on the animation thread.
        assert all((e["thread"] == window_thread) == (index == 0) for e in cycle), index
    # Every colour of the logo has one channel at 0.7 and one at 0.21: 69 and 20 as text.
    assert all(69 in c and 20 in c for c in colours) and len({tuple(c) for c in colours}) > 1, colours

    # Each screenshot taken wholly within a sweep, with the glow near its fullest, shows its colour.
    starts = [cycle[0]["time"] / 1000 for cycle in cycles] + [entries[-1]["time"] / 1000]
    seen = [(i, *hue_of(frame)) for taken, frame, done in frames
            for i in range(len(cycles)) if starts[i] < taken and done < starts[i + 1]]
    compared = Counter()
    for index, hue, glow in seen:
        fullest = max(g for i, _, g in seen if i == index)
        if glow >= max(50, 0.6 * fullest):
            expected = colorsys.rgb_to_hsv(*colours[index])[0] * 360
            assert min(abs(hue - expected) % 360, 360 - abs(hue - expected) % 360) < 10, (index, colours, hue)
            compared[index] += 1
    assert len(compared) >= 2 and sum(compared.values()) >= 4, compared
    check_the_room_picture(entries, colours)


if __name__ == "__main__":
    run_test(test_each_sweep_sends_the_enabled_scripts_in_its_colour_as_the_screen_and_the_room_show_it)
