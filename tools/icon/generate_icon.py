#!/usr/bin/env python3
"""Draws the program's icon from the logo's own outline and writes it as a Windows .ico file.

The icon is the logo's mark: the closed outline of src/logo/outline_table.cpp, filled in blue and
lit along its edge as the saver's glowing line lights it, with a bright spot on its crown like the
sweep's. One picture is drawn for each size and turned into the twelve images the icon group holds: 48, 32 and
16 pixels, each at 1, 4, 8 and 32 bits per pixel. The build runs this into the build folder, so the
icon always follows the outline table.

    python3 tools/icon/generate_icon.py --output build/zovi.ico [--preview out/icon.png]
"""

import argparse
import math
import re
import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.dont_write_bytecode = True  # the build runs this: it leaves nothing in the source tree
sys.path.insert(0, str(ROOT / "tools" / "outline"))
from generate_outline import LOOP_COUNT, X_RANGE, Y_RANGE  # noqa: E402

TABLE_PATH = ROOT / "src" / "logo" / "outline_table.cpp"
SIZES = (48, 32, 16)
DEPTHS = (1, 4, 8, 32)
SPOT_POINT = 73  # on the crown of the top bar, where the sweep's light shows best

# Colours of the mark: the fill darkens downwards, the edge glows, the spot is nearly white. The
# 16-colour images are drawn with the nearest colours of their fixed palette instead, so they show
# clean bands of blue rather than whatever colour lies nearest to each shade.
FULL_COLOURS = {"fill_top": (48, 120, 232), "fill_bottom": (16, 52, 156), "edge": (150, 214, 255),
                "spot": (240, 250, 255)}
SIXTEEN_COLOURS = {"fill_top": (0, 0, 255), "fill_bottom": (0, 0, 128), "edge": (0, 255, 255),
                   "spot": (255, 255, 255)}

# The 16 colours of a 4-bit icon: the standard VGA palette every Windows version draws them with.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_outline(path):
    """The closed outline as (x, y) drawing units, read from the generated table source."""
    source = path.read_text()
    values = {}
    for axis in ("X", "Y"):
        body = re.search(r"kOutlineTable%s\[kOutlinePointCount\] = \{(.*?)\};" % axis, source, re.S)
        if not body:
            raise SystemExit(f"{path}: no table kOutlineTable{axis}")
        # The comments count rows; the values are the numbers with an f suffix.
        values[axis] = [float(v) for v in re.findall(r"(-?\d+(?:\.\d+)?)f", body.group(1))]
    if len(values["X"]) < LOOP_COUNT or len(values["X"]) != len(values["Y"]):
        raise SystemExit(f"{path}: the tables hold {len(values['X'])} and {len(values['Y'])} values")
    return list(zip(values["X"][:LOOP_COUNT], values["Y"][:LOOP_COUNT]))


def mix(a, b, t):
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(outline, size, colours):
    """The mark at size x size pixels: rows of (r, g, b, a), each 0..255, alpha not premultiplied."""
    span = max(X_RANGE[1] - X_RANGE[0], Y_RANGE[1] - Y_RANGE[0])
    margin = max(0.5, size / 32)
    scale = (size - 2 * margin) / span
    ring = [(margin + (x - X_RANGE[0]) * scale, margin + (y - Y_RANGE[0]) * scale) for x, y in outline]
    edges = list(zip(ring, ring[1:] + ring[:1]))

    # Coverage from 4 x 4 samples per pixel, each row of samples filled between its crossings.
    samples = 4
    coverage = [[0.0] * size for _ in range(size)]
    for sy in range(size * samples):
        yc = (sy + 0.5) / samples
        crossings = sorted(ax + (yc - ay) * (bx - ax) / (by - ay)
                           for (ax, ay), (bx, by) in edges if (ay <= yc) != (by <= yc))
        for left, right in zip(crossings[::2], crossings[1::2]):
            first = max(0, math.ceil(left * samples - 0.5))
            last = min(size * samples - 1, math.floor(right * samples - 0.5))
            for sx in range(first, last + 1):
                coverage[sy // samples][sx // samples] += 1.0 / (samples * samples)

    edge_width = max(0.9, size / 20)
    spot_x, spot_y = ring[SPOT_POINT]
    spot_radius = size / 7
    top, bottom = min(y for _, y in ring), max(y for _, y in ring)
    picture = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha = min(1.0, coverage[y][x])
            if alpha <= 0:
                row.append((0, 0, 0, 0))
                continue
            px, py = x + 0.5, y + 0.5
            colour = mix(colours["fill_top"], colours["fill_bottom"], max(0.0, min(1.0, (py - top) / (bottom - top))))
            nearest = min(segment_distance(px, py, ax, ay, bx, by) for (ax, ay), (bx, by) in edges)
            colour = mix(colour, colours["edge"], max(0.0, min(1.0, edge_width + 0.5 - nearest)))
            glow = max(0.0, 1.0 - math.hypot(px - spot_x, py - spot_y) / spot_radius)
            colour = mix(colour, colours["spot"], glow * glow)
            row.append(tuple(int(round(c)) for c in colour) + (int(round(alpha * 255)),))
        picture.append(row)
    return picture


# ----------------------------------------------------------------------------------------------
# Colours for the palette images


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def median_cut(colours, count):
    """Up to count colours that stand for the given ones: boxes split at the median of their
    widest channel until there are enough, each box giving its mean."""
    boxes = [sorted(set(colours))]
    while len(boxes) < count:
        def width(box):
            return max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
        boxes.sort(key=width)
        box = boxes.pop()
        if width(box) == 0:
            boxes.append(box)
            break
        channel = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: c[channel])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    return [tuple(round(sum(c[k] for c in box) / len(box)) for k in range(3)) for box in boxes]


def opaque(pixel):
    """Images without alpha show a pixel fully or not at all."""
    return pixel[3] >= 128


# ----------------------------------------------------------------------------------------------
# The .ico file


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def pack_rows(rows, depth):
    """Bottom-up rows of palette indices or BGRA pixels, each padded to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        if depth == 32:
            line = b"".join(bytes((b, g, r, a)) for r, g, b, a in row)
        else:
            line, bits, filled = bytearray(), 0, 0
            for value in row:
                bits = (bits << depth) | value
                filled += depth
                if filled == 8:
                    line.append(bits)
                    bits, filled = 0, 0
            if filled:
                line.append(bits << (8 - filled))
        out += line + bytes(row_bytes(len(row) * depth) - len(line))
    return bytes(out)


def icon_image(picture, depth):
    """One image of the icon: header, palette, colour rows and the transparency mask."""
    size = len(picture)
    if depth == 32:
        palette, colour_rows = [], picture
    else:
        shown = [p[:3] for row in picture for p in row if opaque(p)]
        if depth == 1:
            palette = [(0, 0, 0), (255, 255, 255)]
        elif depth == 4:
            palette = list(VGA_PALETTE)
        else:
            palette = [(0, 0, 0)] + median_cut(shown, 255)
        # Hidden pixels are black in the colour rows: drawn through the mask they leave the
        # background as it was.
        colour_rows = [[nearest(palette, p[:3]) if opaque(p) else 0 for p in row] for row in picture]
        palette += [(0, 0, 0)] * ((1 << depth) - len(palette))
    hidden = [[0 if (p[3] > 0 if depth == 32 else opaque(p)) else 1 for p in row] for row in picture]
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, depth, 0,
                         (row_bytes(size * depth) + row_bytes(size)) * size, 0, 0, len(palette), 0)
    return (header + b"".join(bytes((b, g, r, 0)) for r, g, b in palette) +
            pack_rows(colour_rows, depth) + pack_rows(hidden, 1))


def icon_file(outline):
    images = []
    for size in SIZES:
        full, sixteen = draw(outline, size, FULL_COLOURS), draw(outline, size, SIXTEEN_COLOURS)
        images += [(size, depth, icon_image(sixteen if depth == 4 else full, depth)) for depth in DEPTHS]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, depth, data in images:
        colours = 1 << depth if depth < 8 else 0
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(data), offset)
        offset += len(data)
    return directory + b"".join(data for _, _, data in images)


def write_preview(pictures, path, zoom=6):
    """The 32-bit pictures side by side over a dialog grey, enlarged, for a person to judge."""
    width = sum(size * zoom + 16 for size in SIZES) + 16
    height = max(SIZES) * zoom + 32
    grey = (212, 208, 200)
    pixels = bytearray(bytes(grey) * (width * height))
    left = 16
    for size in SIZES:
        for y in range(size * zoom):
            for x in range(size * zoom):
                r, g, b, a = pictures[size][y // zoom][x // zoom]
                i = 3 * ((16 + y) * width + left + x)
                pixels[i:i + 3] = bytes(round(grey[k] + ((r, g, b)[k] - grey[k]) * a / 255) for k in range(3))
        left += size * zoom + 16
    raw = b"".join(b"\x00" + bytes(pixels[3 * y * width:3 * (y + 1) * width]) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                     chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", type=Path, required=True, metavar="ICO")
    parser.add_argument("--preview", type=Path, metavar="PNG", help="also draw the pictures to this PNG")
    args = parser.parse_args()

    outline = read_outline(TABLE_PATH)
    args.output.parent.mkdir(parents=True, exist_ok=True)
    args.output.write_bytes(icon_file(outline))
    if args.preview:
        write_preview({size: draw(outline, size, FULL_COLOURS) for size in SIZES}, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
