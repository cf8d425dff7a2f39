"""The saver and the ambient-effects engine, end to end: zovi.scr /s with the substitute engine
registered, seen through the engine's journal and the screen; and the saver without the engine."""

import colorsys
import getpass
import json
import os
import subprocess
import tempfile
import time

from zovi_e2e import BUILD, ROOT, Desktop, exit_code, run_test, wait_for, windows_path

ENGINE = os.environ.get("ZOVI_EFFECTS_ENGINE", os.path.join(BUILD, "engine", "zovi_effects_engine.dll"))
SCRIPTS = os.path.join(ROOT, "src", "effects", "scripts")
TEARDOWN = ["player.release", "engine.release", "root.release", "link.releaseCallback", "server.release"]


def script(name):
    with open(os.path.join(SCRIPTS, name), "rb") as f:
        return f.read().decode("latin-1")


def register_engine(desktop, register=True):
    subprocess.run(["wine", "regsvr32", "/s", *([] if register else ["/u"]), windows_path(ENGINE)],
                   env=desktop.env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


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

    def __init__(self, desktop, fade_to_background, lights, fans, rumbles):
        self.path = os.path.join(desktop.env["WINEPREFIX"], "drive_c", "users", getpass.getuser(),
                                 "AppData", "Roaming", "Zovi Logo Screensaver.txt")
        self.values = (fade_to_background, lights, fans, rumbles)

    def __enter__(self):
        self.before = open(self.path, "rb").read() if os.path.exists(self.path) else None
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        with open(self.path, "wb") as f:
            f.write(b"".join((b"true" if v else b"false") + b"\r\r\n" for v in self.values))
        return self

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


def colour_of(light_text, template):
    """The colour text the saver put in place of the token: the template's text must be all else."""
    before, after = template.split("_VALUE_", 1)
    assert light_text.startswith(before) and light_text.endswith(after), light_text
    return [int(v) for v in light_text[len(before):len(light_text) - len(after)].split(" ")]


def glow(frame):
    """The unsaturated lit pixels of a screenshot."""
    return [p for p in frame.lit(threshold=60, step=3) if max(p[2:]) < 250]


def hue_of(pixels):
    """The hue of the brightest tenth of the glow. Every point shows its cycle's colour less the same
    amount on each channel, times an alpha, and neither changes the hue; only far from the spot,
    where the dimmest channel is cut off at zero, does the hue drift, so those pixels are left out."""
    brightest = sorted(pixels, key=lambda p: p[2] + p[3] + p[4])[-max(1, len(pixels) // 10):]
    r, g, b = (sum(p[i] for p in brightest) for i in (2, 3, 4))
    return colorsys.rgb_to_hsv(r, g, b)[0] * 360


def hue_distance(a, b):
    d = abs(a - b) % 360
    return min(d, 360 - d)


def test_each_sweep_sends_the_enabled_scripts_in_its_colour_and_teardown_comes_last():
    with Desktop() as desktop, SettingsFile(desktop, False, True, True, True):
        register_engine(desktop)
        journal = Journal(desktop)
        try:
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            frames = []
            end = time.time() + 7.5
            while time.time() < end:
                taken = time.time()
                frame = desktop.screenshot()
                frames.append((taken, time.time(), frame))
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0
            entries = journal.entries()
        finally:
            journal.remove()

        calls = link_calls(entries)
        names = [name(e) for e in calls]
        assert names[:4] == ["factory.createInstance", "server.requestRoot", "root.openEngine",
                             "engine.createPlayer"], names[:6]
        created, requested, opened, player = calls[:4]
        window_thread = requested["thread"]
        assert created["thread"] != window_thread
        assert requested["reply"]["code"] == 1000 and requested["result"] == 0
        assert opened["args"] == {"application": "Zovi Logo Screensaver", "version": "1.0.0", "trailer": 10000}
        assert opened["result"] == 1000 and player["result"] == 1000

        # Teardown closes the journal: nothing is called after it, and no call was refused.
        assert names[-5:] == TEARDOWN, names[-8:]
        assert [e["thread"] for e in calls[-5:-1]] == [window_thread] * 4
        assert calls[-1]["thread"] == created["thread"]
        assert all(e["result"] in (0, 1000) for e in calls[:-1]), [e for e in calls if e["result"] not in (0, 1000)]

        sends = calls[4:-5]
        assert all(name(e) == "player.playScript" and e["handle"] == player["player"] for e in sends), names
        # One send of each enabled script per cycle, light first: the settings file enables all three.
        assert len(sends) % 3 == 0, [len(e["script"]) for e in sends]
        cycles = [sends[i:i + 3] for i in range(0, len(sends), 3)]
        assert len(cycles) >= 3, len(cycles)
        colours = []
        for index, cycle in enumerate(cycles):
            colours.append(colour_of(cycle[0]["script"], script("light_fade_to_black.txt")))
            assert [e["script"] for e in cycle[1:]] == [script("fan.txt"), script("rumble.txt")]
            assert all(e["args"]["length"] == len(e["script"]) and e["args"]["trailer"] == 10000 for e in cycle)
            # The first cycle starts on the window thread, every later one on the animation thread.
            assert all((e["thread"] == window_thread) == (index == 0) for e in cycle), index
            assert all(e["parsed"]["events"] > 0 for e in cycle)
        # Every colour of the logo has one channel at 0.7 and one at 0.21: 69 and 20 as text.
        assert all(69 in c and 20 in c for c in colours), colours
        assert len({tuple(c) for c in colours}) > 1, colours

        # The light text carries the colour the screen shows in that cycle: every screenshot taken
        # while the spot is well on its way round the outline has that cycle's hue.
        starts = [cycle[0]["time"] / 1000 for cycle in cycles] + [entries[-1]["time"] / 1000]
        by_cycle = {}
        for taken, done, frame in frames:
            index = next((i for i in range(len(cycles)) if starts[i] < taken and done < starts[i + 1]), None)
            if index is not None:
                by_cycle.setdefault(index, []).append(glow(frame))
        compared = {}
        for index, glows in by_cycle.items():
            expected = colorsys.rgb_to_hsv(*colours[index])[0] * 360
            most = max(len(g) for g in glows)
            for pixels in glows:
                if most >= 50 and len(pixels) >= 0.6 * most:
                    hue = hue_of(pixels)
                    assert hue_distance(hue, expected) < 10, (index, colours[index], expected, hue)
                    compared[index] = compared.get(index, 0) + 1
        assert len(compared) >= 2 and sum(compared.values()) >= 4, compared


def test_without_the_engine_the_saver_runs_draws_and_closes_as_usual():
    with Desktop() as desktop:
        journal = Journal(desktop)
        register_engine(desktop, register=False)
        try:
            saver = desktop.start_saver("/s")
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
            wait_for(lambda: desktop.screenshot().lit(step=4), what="the logo on the screen")
            desktop.xdotool("key", "space")
            assert exit_code(saver) == 0
            assert not desktop.windows("Screen Saver")
            assert journal.entries() == []
        finally:
            register_engine(desktop)
            journal.remove()


if __name__ == "__main__":
    run_test(test_each_sweep_sends_the_enabled_scripts_in_its_colour_and_teardown_comes_last)
    run_test(test_without_the_engine_the_saver_runs_draws_and_closes_as_usual)
