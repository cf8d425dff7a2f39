"""The code of src/, engine/ and tools/ depends one way: every #include "..." read, and any circle named
with the includes that close it, between rooms (src/<room>/, engine/, tools/<room>/) and between the
files inside them (a header and its source count as one)."""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
ROOTS = [ROOT / "src", ROOT / "engine"]  # where the build looks for a quoted include


def room_of(path):
    parts = path.relative_to(ROOT).parts
    return parts[0] if parts[0] == "engine" else "/".join(parts[:2])


def target_of(path, name):
    for base in [path.parent] + ROOTS:
        if (base / name).is_file():
            return (base / name).resolve()


rooms, units = {}, {}
for path in sorted(p for top in ("src", "engine", "tools") for p in (ROOT / top).rglob("*")):
    if path.suffix not in (".h", ".cpp", ".rc"):
        continue
    for name in re.findall(r'^\s*#\s*include\s+"([^"]+)"', path.read_text(errors="replace"), re.M):
        target = target_of(path, name)
        if not target:
            continue
        why = str(path.relative_to(ROOT))
        unit, target_unit = path.with_suffix(""), target.with_suffix("")
        if unit != target_unit:
            units.setdefault(str(unit.relative_to(ROOT)), {}).setdefault(str(target_unit.relative_to(ROOT)), []).append(why)
        if room_of(path) != room_of(target):
            rooms.setdefault(room_of(path), {}).setdefault(room_of(target), []).append(why)


def circle(edges, trail, done):
    """A list of nodes from trail's first that leads back into the trail, or None; done holds the
    nodes from which no circle leads."""
    for target in edges.get(trail[-1], {}):
        if target in done:
            continue
        found = trail[trail.index(target):] + [target] if target in trail else circle(edges, trail + [target], done)
        if found:
            return found
    done.add(trail[-1])


failed = False
for kind, edges in (("rooms", rooms), ("files", units)):
    done = set()
    found = next(filter(None, (circle(edges, [node], done) for node in sorted(edges))), None)
    if found:
        failed = True
        print("circle between %s:" % kind, " -> ".join(found))
        for a, b in zip(found, found[1:]):
            print("  %s -> %s by %s" % (a, b, ", ".join(sorted(set(edges[a][b])))))
sys.exit(1 if failed else 0)
