"""The running saver, seen from outside: the spot travels along the outline, each cycle ends dark
and brings a new colour, size and place, and the first cycle is centred and the same in every run."""

import math
import time

from zovi_e2e import Desktop, run_test, wait_for


def record(desktop, seconds):
    """Screenshots of a fresh full-screen saver, from the moment its window shows."""
    desktop.start_saver("/s")
    wait_for(lambda: desktop.windows("Screen Saver"), what="the saver window")
    frames = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        frames.append(desktop.screenshot())
    desktop.kill_wine()
    return frames


class Cycle:
    """What one sweep showed: every lit frame between two dark ones."""

    def __init__(self, lit_frames):
        points = [p for frame in lit_frames for p in frame]
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))
        self.centre = ((self.box[0] + self.box[2]) / 2, (self.box[1] + self.box[3]) / 2)
        self.size = math.hypot(self.box[2] - self.box[0], self.box[3] - self.box[1])
        # Chromaticity of the unsaturated glow: the cycle's hue without its brightness.
        r = sum(p[2] for p in points if max(p[2:]) < 250) or 1
        g = sum(p[3] for p in points if max(p[2:]) < 250)
        b = sum(p[4] for p in points if max(p[2:]) < 250)
        total = r + g + b
        self.colour = (r / total, g / total, b / total)
        self.spots = [spot(frame) for frame in lit_frames]

    def clipped(self, desktop):
        return self.box[0] <= 2 or self.box[1] <= 2 or self.box[2] >= desktop.width - 4 or \
            self.box[3] >= desktop.height - 4


def spot(lit):
    """Centre of the brightest tenth of a frame's lit pixels."""
    brightest = sorted(lit, key=lambda p: p[2] + p[3] + p[4])[-max(1, len(lit) // 10):]
    return (sum(p[0] for p in brightest) / len(brightest), sum(p[1] for p in brightest) / len(brightest))


def cycles_of(frames):
    """Splits the recording at dark frames; the first cycle is the first lit run."""
    cycles, run = [], []
    for frame in frames:
        lit = frame.lit(step=4)
        if lit:
            run.append(lit)
        elif run:
            cycles.append(Cycle(run))
            run = []
    return cycles


def colour_distance(a, b):
    return max(abs(x - y) for x, y in zip(a.colour, b.colour))


def test_spot_travels_and_each_cycle_brings_a_new_colour_size_and_place():
    with Desktop() as desktop:
        cycles = cycles_of(record(desktop, 8.5))
        assert len(cycles) >= 3, "expected at least three cycles separated by dark pauses, saw %d" % len(cycles)
        first = cycles[0]
        # The spot moves along the outline: frame after frame its centre is somewhere new, and over
        # the sweep it crosses a good part of the logo.
        assert len(first.spots) >= 4, first.spots
        moves = [math.dist(a, b) for a, b in zip(first.spots, first.spots[1:])]
        assert sum(m > 3 for m in moves) >= len(moves) // 2, moves
        travelled = max(math.dist(a, b) for a in first.spots for b in first.spots)
        assert travelled > 100, "the spot stayed within %d pixels" % travelled
        # Every cycle after a dark pause stands somewhere else; colour and size change too.
        full = cycles[:-1]  # the last run may have been cut by the end of the recording
        for before, after in zip(full, full[1:]):
            assert math.dist(before.centre, after.centre) > 8, (before.box, after.box)
        assert any(colour_distance(a, b) > 0.01 for a, b in zip(full, full[1:])), [c.colour for c in full]
        # Size can only be read off a logo that is wholly on screen.
        sizes = [(a.size, b.size) for a, b in zip(full, full[1:])
                 if not a.clipped(desktop) and not b.clipped(desktop)]
        assert not sizes or any(abs(a - b) > 2 for a, b in sizes), sizes


def test_first_cycle_is_centred_and_the_same_in_every_run():
    with Desktop() as desktop:
        runs = [cycles_of(record(desktop, 2.6))[0] for _ in range(2)]
        a, b = runs
        assert all(abs(p - q) <= 6 for p, q in zip(a.box, b.box)), (a.box, b.box)
        assert colour_distance(a, b) < 0.02, (a.colour, b.colour)
        # Offset (0, 0) puts drawing point (150, 100) at the screen's centre. The outline reaches
        # 145 drawing units left of it and 102 right, 96 up and 151 down (y grows down the screen).
        left, right = desktop.width / 2 - a.box[0], a.box[2] - desktop.width / 2
        top, bottom = desktop.height / 2 - a.box[1], a.box[3] - desktop.height / 2
        assert 1.2 < left / right < 1.6, (a.box, left, right)
        assert 1.3 < bottom / top < 1.8, (a.box, top, bottom)


if __name__ == "__main__":
    run_test(test_spot_travels_and_each_cycle_brings_a_new_colour_size_and_place)
    run_test(test_first_cycle_is_centred_and_the_same_in_every_run)
