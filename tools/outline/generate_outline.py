#!/usr/bin/env python3
"""Builds the logo outline and writes it as src/logo/outline_table.cpp.

The mark is a bold italic zigzag traced as one closed outline: a heavy bar across the top whose
right end is a chisel nose, a slanted stem, and a heel at the bottom left with a long bevel, so the
three strokes read as one stroke of lightning. The design below is a short list of corners; the
generator makes every corner a point of the table (so corners stay crisp), spreads whole-unit
points evenly along the edges between them, checks every rule the renderer and its tests rely on,
and writes the table.

    python3 tools/outline/generate_outline.py                  # rewrite the table
    python3 tools/outline/generate_outline.py --check          # verify the committed table only
    python3 tools/outline/generate_outline.py --preview out/outline.png
"""

import argparse
import math
import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TABLE_PATH = ROOT / "src" / "logo" / "outline_table.cpp"

POINT_COUNT = 214
LOOP_COUNT = 185  # points 0..184 are the closed outline; 185..213 retrace the start
TAIL_COUNT = POINT_COUNT - LOOP_COUNT
MIN_STEP = 3.2
MAX_STEP = 5.7
X_RANGE = (5, 252)
Y_RANGE = (4, 251)


class Corner:
    """A corner of the design. Every corner becomes a point of the table, so corners stay crisp;
    `index` fixes which point it is, otherwise the generator picks one that keeps spacing even."""

    def __init__(self, x, y, index=None):
        self.x, self.y, self.index = x, y, index


# The mark, clockwise on screen. Angles are kept to a small family so the strokes read as one
# drawing: both long edges of the stem lean at about 73 degrees, the bars' long edges run at 9 to
# 14 degrees, and the nose and heel are cut at about 45 degrees. Pinned corners sit where the
# renderer's timing expects a particular point: the sweep starts on the heel's tip at point 0,
# reaches the crown at 71..74 and the nose at 87..88, and passes the lowest point at 159.
DESIGN = [
    Corner(5, 177, index=0),          # the heel's blunt tip, traced upwards
    Corner(5, 169, index=2),
    Corner(70, 154),                  # top of the heel, parallel to the underside of the top bar
    Corner(86, 103, index=28),        # the stem's left edge, straight up to the top bar
    Corner(111, 22),
    Corner(203, 4, index=71),         # the top bar's upper edge rises to a short flat crown
    Corner(215, 4, index=74),
    Corner(252, 43, index=87),        # the nose: a bevel, a short face, a bevel
    Corner(252, 47, index=88),
    Corner(226, 76),
    Corner(183.5, 86.5, index=109),   # the underside of the top bar, falling gently to the left
    # 109 and 111 are ten units apart at half-unit x, so 110 is placed by hand where both of its
    # steps stay within the spacing limits.
    Corner(179, 88, index=110),
    Corner(173.5, 89, index=111),
    Corner(169.5, 90, index=112),
    Corner(161, 92),                  # the stem's right edge, parallel to its left edge
    Corner(113, 245.5, index=152),
    Corner(79, 251, index=159),       # the lowest point, where the heel's long bevel starts
    Corner(5, 185, index=183),
]

# The table's only half-unit values; every other coordinate is a whole drawing unit.
HALF_UNIT_VALUES = {(109, "x"), (109, "y"), (111, "x"), (112, "x"), (152, "y")}

FIXED_ROWS = {
    0: (5, 177), 1: (5, 173), 2: (5, 169), 28: (86, 103), 73: (211, 4), 88: (252, 47),
    109: (183.5, 86.5), 159: (79, 251), 183: (5, 185), 184: (5, 181),
}


# ----------------------------------------------------------------------------------------------
# Building the path


def corner_indices(design):
    """Gives every corner a point index: pinned ones keep theirs, free ones are spread by length."""
    count = len(design)
    lengths = [0.0]
    for i in range(count):
        a, b = design[i], design[(i + 1) % count]
        lengths.append(lengths[-1] + math.hypot(b.x - a.x, b.y - a.y))
    if design[0].index != 0:
        raise SystemExit("design: the first corner must be point 0")
    pinned = [i for i, c in enumerate(design) if c.index is not None] + [count]
    indices = [c.index for c in design] + [LOOP_COUNT]
    for a, b in zip(pinned, pinned[1:]):
        if indices[a] >= indices[b]:
            raise SystemExit(f"design: pinned points {indices[a]} and {indices[b]} are out of order")
        span, steps = lengths[b] - lengths[a], indices[b] - indices[a]
        for i in range(a + 1, b):
            indices[i] = indices[a] + round((lengths[i] - lengths[a]) / span * steps)
        for i in range(a, b):
            if indices[i + 1] <= indices[i]:
                raise SystemExit(f"design: no room for a point between corners {i} and {i + 1}")
    return indices


def allowed(value, ideal, low, high):
    """Whole-unit coordinates stay strictly inside the box: its edges belong to the pinned points,
    except along an edge of the design that itself runs on the box's edge."""
    return low < value < high or value == ideal


def snap_edge(start, end, count):
    """Whole-unit points for the inside of an edge of `count` steps from corner `start` to `end`.

    Rounding each point on its own can leave two neighbours too close or too far apart, so this
    picks, among the whole-unit points around each ideal position, the sequence that stays nearest
    to the edge while every step keeps a margin inside the spacing limits.
    """
    if count == 1:
        return []  # two corners next to each other: nothing to place
    (x0, y0), (x1, y1) = start, end
    length = math.hypot(x1 - x0, y1 - y0)
    nominal, ux, uy = length / count, (x1 - x0) / length, (y1 - y0) / length
    ideals = [(x0 + (x1 - x0) * k / count, y0 + (y1 - y0) * k / count) for k in range(count + 1)]
    layers = [[(float(x0), float(y0))]]
    for ix, iy in ideals[1:-1]:
        layers.append([(float(x), float(y))
                       for x in range(math.floor(ix) - 1, math.ceil(ix) + 2)
                       for y in range(math.floor(iy) - 1, math.ceil(iy) + 2)
                       if abs(x - ix) < 1.5 and abs(y - iy) < 1.5
                       and allowed(x, ix, *X_RANGE) and allowed(y, iy, *Y_RANGE)])
    layers.append([(float(x1), float(y1))])

    # Cheapest route through the layers: distance from the ideal points (a point off the line shows
    # far more than one shifted along it), plus uneven steps.
    costs, parents = [[0.0]], [[None]]
    for k in range(1, len(layers)):
        ix, iy = ideals[k]
        row_costs, row_parents = [], []
        for x, y in layers[k]:
            best, parent = math.inf, None
            for j, (px, py) in enumerate(layers[k - 1]):
                step = math.hypot(x - px, y - py)
                if costs[-1][j] == math.inf or not MIN_STEP + 0.15 <= step <= MAX_STEP - 0.15:
                    continue
                along = (x - ix) * ux + (y - iy) * uy
                across = (y - iy) * ux - (x - ix) * uy
                cost = costs[-1][j] + along ** 2 + 4 * across ** 2 + 0.5 * (step - nominal) ** 2
                if cost < best:
                    best, parent = cost, j
            row_costs.append(best)
            row_parents.append(parent)
        costs.append(row_costs)
        parents.append(row_parents)
    if costs[-1][0] == math.inf:
        raise SystemExit(f"design: no whole-unit points fit between {start} and {end} in {count} steps")

    points, choice = [], parents[-1][0]
    for k in range(len(layers) - 2, 0, -1):
        points.append(layers[k][choice])
        choice = parents[k][choice]
    return points[::-1]


def build_outline(design):
    """Places the loop's points: corners exactly, whole-unit points spread evenly along each edge."""
    indices = corner_indices(design)
    xs, ys = [0.0] * LOOP_COUNT, [0.0] * LOOP_COUNT
    for i, corner in enumerate(design):
        nxt = design[(i + 1) % len(design)]
        first, last = indices[i], indices[i + 1]
        xs[first], ys[first] = float(corner.x), float(corner.y)
        inner = snap_edge((corner.x, corner.y), (nxt.x, nxt.y), last - first)
        for index, (x, y) in enumerate(inner, start=first + 1):
            xs[index], ys[index] = x, y

    # The tail retraces the start so the sweep can fade out without a seam.
    xs += xs[:TAIL_COUNT]
    ys += ys[:TAIL_COUNT]
    return xs, ys


# ----------------------------------------------------------------------------------------------
# Checks: everything the renderer and the tests rely on


def segments_cross(p1, p2, p3, p4):
    """True when segments p1p2 and p3p4 share any point."""
    def orient(a, b, c):
        v = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
        return (v > 0) - (v < 0)

    def within(a, b, c):
        return min(a[0], b[0]) <= c[0] <= max(a[0], b[0]) and min(a[1], b[1]) <= c[1] <= max(a[1], b[1])

    d1, d2 = orient(p3, p4, p1), orient(p3, p4, p2)
    d3, d4 = orient(p1, p2, p3), orient(p1, p2, p4)
    if d1 != d2 and d3 != d4 and 0 not in (d1, d2, d3, d4):
        return True
    return ((d1 == 0 and within(p3, p4, p1)) or (d2 == 0 and within(p3, p4, p2)) or
            (d3 == 0 and within(p1, p2, p3)) or (d4 == 0 and within(p1, p2, p4)))


def check_outline(xs, ys):
    """Returns a list of broken rules; empty when the outline is good."""
    problems = []

    def fail(message):
        problems.append(message)

    if len(xs) != POINT_COUNT or len(ys) != POINT_COUNT:
        return [f"expected {POINT_COUNT} points, got {len(xs)} x and {len(ys)} y values"]

    for index, (x, y) in FIXED_ROWS.items():
        if (xs[index], ys[index]) != (x, y):
            fail(f"point {index} is ({xs[index]}, {ys[index]}), must be ({x}, {y})")
    for index in range(LOOP_COUNT, POINT_COUNT):
        start = index - LOOP_COUNT
        if (xs[index], ys[index]) != (xs[start], ys[start]):
            fail(f"tail point {index} must repeat point {start}")

    for index in range(POINT_COUNT):
        for axis, value in (("x", xs[index]), ("y", ys[index])):
            source = index if index < LOOP_COUNT else index - LOOP_COUNT
            half = (source, axis) in HALF_UNIT_VALUES
            fraction = value - math.floor(value)
            if half and fraction != 0.5:
                fail(f"point {index} {axis}={value} must be a half unit")
            if not half and fraction != 0:
                fail(f"point {index} {axis}={value} must be a whole unit")

    if min(xs) != X_RANGE[0] or max(xs) != X_RANGE[1]:
        fail(f"x spans {min(xs)}..{max(xs)}, must span exactly {X_RANGE[0]}..{X_RANGE[1]}")
    if min(ys) != Y_RANGE[0] or max(ys) != Y_RANGE[1]:
        fail(f"y spans {min(ys)}..{max(ys)}, must span exactly {Y_RANGE[0]}..{Y_RANGE[1]}")
    loop = range(LOOP_COUNT)
    extremes = [
        ("y == 4", [i for i in loop if ys[i] == Y_RANGE[0]], [71, 72, 73, 74]),
        ("x == 252", [i for i in loop if xs[i] == X_RANGE[1]], [87, 88]),
        ("y == 251", [i for i in loop if ys[i] == Y_RANGE[1]], [159]),
    ]
    for what, found, wanted in extremes:
        if found != wanted:
            fail(f"{what} at points {found}, must be exactly at {wanted}")
    at_left = [i for i in loop if xs[i] == X_RANGE[0]]
    if not {0, 1, 2, 183, 184} <= set(at_left):
        fail(f"x == 5 at points {at_left}, must include 0, 1, 2, 183 and 184")

    for index in range(POINT_COUNT - 1):
        step = math.hypot(xs[index + 1] - xs[index], ys[index + 1] - ys[index])
        if not MIN_STEP <= step <= MAX_STEP:
            fail(f"points {index} and {index + 1} are {step:.3f} apart, must be {MIN_STEP}..{MAX_STEP}")

    ring = [(xs[i], ys[i]) for i in loop]
    for i in range(LOOP_COUNT):
        a, b = ring[i], ring[(i + 1) % LOOP_COUNT]
        c = ring[(i + 2) % LOOP_COUNT]
        # Neighbouring segments share a point; they must not fold back over each other.
        cross = (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])
        dot = (b[0] - a[0]) * (c[0] - b[0]) + (b[1] - a[1]) * (c[1] - b[1])
        if cross == 0 and dot < 0:
            fail(f"the outline folds back on itself at point {(i + 1) % LOOP_COUNT}")
        for j in range(i + 2, LOOP_COUNT):
            if (j + 1) % LOOP_COUNT == i:
                continue
            if segments_cross(a, b, ring[j], ring[(j + 1) % LOOP_COUNT]):
                fail(f"the outline crosses itself: segment {i} meets segment {j}")
    area = sum(ring[i][0] * ring[(i + 1) % LOOP_COUNT][1] - ring[(i + 1) % LOOP_COUNT][0] * ring[i][1]
               for i in loop)
    if area <= 0:
        fail("the outline must run clockwise on screen (x right, y down)")
    return problems


# ----------------------------------------------------------------------------------------------
# Output


def format_value(value):
    return f"{value:.1f}f"


def table_source(xs, ys):
    def rows(values):
        cells = [format_value(v) + "," for v in values]
        width = max(len(c) for c in cells)
        lines = []
        for start in range(0, len(cells), 10):
            chunk = [c.rjust(width) for c in cells[start:start + 10]]
            lines.append(f"    {' '.join(chunk)}  // {start}")
        return "\n".join(lines)

    return (
        "// Generated by tools/outline/generate_outline.py: do not edit by hand, change the design\n"
        "// there and run it again.\n"
        "//\n"
        "// The logo's outline, a bold italic zigzag traced clockwise from the tip of its heel.\n"
        f"// Points 0..{LOOP_COUNT - 1} close the loop; {LOOP_COUNT}..{POINT_COUNT - 1} retrace "
        f"0..{TAIL_COUNT - 1}.\n"
        "#include \"logo/outline_table.h\"\n"
        "\n"
        "const float kOutlineTableX[kOutlinePointCount] = {\n"
        f"{rows(xs)}\n"
        "};\n"
        "\n"
        "const float kOutlineTableY[kOutlinePointCount] = {\n"
        f"{rows(ys)}\n"
        "};\n"
    )


class Canvas:
    """Just enough raster drawing for the preview: antialiased discs, thick lines and a fill."""

    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = bytearray(bytes(background) * (width * height))

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            i = 3 * (y * self.width + x)
            alpha = min(alpha, 1.0)
            for k in range(3):
                self.pixels[i + k] = int(self.pixels[i + k] + (colour[k] - self.pixels[i + k]) * alpha)

    def segment(self, x0, y0, x1, y1, radius, colour, alpha=1.0):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        for y in range(int(min(y0, y1) - radius - 1), int(max(y0, y1) + radius + 2)):
            for x in range(int(min(x0, x1) - radius - 1), int(max(x0, x1) + radius + 2)):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length2))
                d = math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))
                self.blend(x, y, colour, alpha * max(0.0, min(1.0, radius + 0.5 - d)))

    def disc(self, x, y, radius, colour, alpha=1.0):
        self.segment(x, y, x, y, radius, colour, alpha)

    def fill(self, polygon, colour, alpha):
        for y in range(self.height):
            yc, crossings = y + 0.5, []
            for (xa, ya), (xb, yb) in zip(polygon, polygon[1:] + polygon[:1]):
                if (ya <= yc) != (yb <= yc):
                    crossings.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for left, right in zip(crossings[::2], crossings[1::2]):
                for x in range(math.ceil(left - 0.5), math.floor(right - 0.5) + 1):
                    self.blend(x, y, colour, alpha)

    def save(self, path):
        raw = b"".join(b"\x00" + bytes(self.pixels[3 * y * self.width:3 * (y + 1) * self.width])
                       for y in range(self.height))

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                         chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_preview(xs, ys, path, scale=3):
    """Draws the outline much as the renderer does, a thick line through the points and a dot on
    each, over a faint fill so the silhouette can be judged. Pinned points are red, point 0 green."""
    margin = 12
    size = (256 + 2 * margin) * scale
    canvas = Canvas(size, size, (14, 16, 24))

    def at(i):
        return (xs[i] + margin) * scale, (ys[i] + margin) * scale

    ring = [at(i) for i in range(LOOP_COUNT)]
    canvas.fill(ring, (40, 60, 120), 0.55)
    for i in range(LOOP_COUNT):
        (x0, y0), (x1, y1) = ring[i], ring[(i + 1) % LOOP_COUNT]
        canvas.segment(x0, y0, x1, y1, 1.6 * scale, (120, 190, 255))
    for i, (x, y) in enumerate(ring):
        pinned = i in FIXED_ROWS or (i, "x") in HALF_UNIT_VALUES or (i, "y") in HALF_UNIT_VALUES
        canvas.disc(x, y, 1.1 * scale, (255, 120, 90) if pinned else (255, 240, 200))
    canvas.disc(*ring[0], 2.2 * scale, (120, 255, 140))  # where the sweep starts
    canvas.save(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="verify that the committed table matches the design, write nothing")
    parser.add_argument("--preview", type=Path, metavar="PNG", help="also draw the outline to this PNG")
    args = parser.parse_args()

    xs, ys = build_outline(DESIGN)
    problems = check_outline(xs, ys)
    if args.preview:
        write_preview(xs, ys, args.preview)  # drawn even when broken: it shows what to fix
        print(f"wrote {args.preview}")
    if problems:
        print("outline design breaks the rules:", file=sys.stderr)
        for problem in problems:
            print("  " + problem, file=sys.stderr)
        return 1

    source = table_source(xs, ys)
    if args.check:
        if not TABLE_PATH.exists() or TABLE_PATH.read_text() != source:
            print(f"{TABLE_PATH.relative_to(ROOT)} does not match the design: run {Path(__file__).name}",
                  file=sys.stderr)
            return 1
        print(f"{TABLE_PATH.relative_to(ROOT)} matches the design")
    else:
        TABLE_PATH.write_text(source)
        print(f"wrote {TABLE_PATH.relative_to(ROOT)}")

    steps = [math.hypot(xs[i + 1] - xs[i], ys[i + 1] - ys[i]) for i in range(LOOP_COUNT)]
    print(f"{LOOP_COUNT} steps, {min(steps):.2f}..{max(steps):.2f} units apart, "
          f"mean {sum(steps) / len(steps):.2f}, perimeter {sum(steps):.1f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
