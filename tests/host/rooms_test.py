"""The folders of src/ depend one way: reads every #include "folder/file" line and fails on any circle
between folders, naming the includes that close it."""

import re
import sys
from pathlib import Path

SRC = Path(__file__).resolve().parents[2] / "src"
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.M)


def room_graph():
    edges = {}
    for path in SRC.rglob("*"):
        if path.suffix not in (".h", ".cpp", ".rc") or path.parent == SRC:
            continue
        room = path.relative_to(SRC).parts[0]
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if target != room and (SRC / target).is_dir():
                edges.setdefault(room, {}).setdefault(target, []).append(path.relative_to(SRC))
    return edges


def circle(edges):
    """A list of rooms that leads back to its first, or None."""
    def walk(room, trail):
        for target in edges.get(room, {}):
            if target in trail:
                return trail[trail.index(target):] + [target]
            found = walk(target, trail + [target])
            if found:
                return found
        return None
    for room in edges:
        found = walk(room, [room])
        if found:
            return found
    return None


if __name__ == "__main__":
    edges = room_graph()
    found = circle(edges)
    for room in sorted(edges):
        print(room, "->", ", ".join(sorted(edges[room])))
    if found:
        print("circle between rooms:", " -> ".join(found))
        for a, b in zip(found, found[1:]):
            print("  %s -> %s by %s" % (a, b, ", ".join(str(p) for p in edges[a][b])))
        sys.exit(1)
