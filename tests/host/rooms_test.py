"""The folders of src/ depend one way: every #include "folder/file" line read, and any circle between
folders named with the includes that close it."""

import re
import sys
from pathlib import Path

SRC = Path(__file__).resolve().parents[2] / "src"
edges = {}
for path in SRC.glob("*/**/*"):
    if path.suffix in (".h", ".cpp", ".rc"):
        room = path.relative_to(SRC).parts[0]
        for target in re.findall(r'^\s*#\s*include\s+"([a-z_]+)/', path.read_text(errors="replace"), re.M):
            if target != room and (SRC / target).is_dir():
                edges.setdefault(room, {}).setdefault(target, []).append(str(path.relative_to(SRC)))


def circle(trail):
    """A list of rooms from trail's first that leads back into the trail, or None."""
    for target in edges.get(trail[-1], {}):
        found = trail[trail.index(target):] + [target] if target in trail else circle(trail + [target])
        if found:
            return found


found = next(filter(None, (circle([room]) for room in edges)), None)
if found:
    print("circle between rooms:", " -> ".join(found))
    for a, b in zip(found, found[1:]):
        print("  %s -> %s by %s" % (a, b, ", ".join(edges[a][b])))
    sys.exit(1)
