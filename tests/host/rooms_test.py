"""The code of src/, engine/ and tools/ depends one way: every #include "..." read, and any circle named with
the includes that close it, between rooms (src/<room>/, engine/, tools/<room>/) and between files (a header
and its source count as one)."""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
edges = {"rooms": {}, "files": {}}
for path in sorted(p for top in ("src", "engine", "tools") for p in (ROOT / top).rglob("*.[hcr]*")):
    for name in re.findall(r'^\s*#\s*include\s+"([^"]+)"', path.read_text(errors="replace"), re.M):
        # Where the build looks for a quoted include: beside the file, then src/ and engine/.
        target = next((base / name for base in (path.parent, ROOT / "src", ROOT / "engine") if (base / name).is_file()), None)
        if target:
            source, target = (p.resolve().relative_to(ROOT) for p in (path, target))
            for kind, a, b in (("files", source.with_suffix(""), target.with_suffix("")),
                               ("rooms", Path(*source.parts[:1 + (source.parts[0] != "engine")]),
                                Path(*target.parts[:1 + (target.parts[0] != "engine")]))):
                if a != b:
                    edges[kind].setdefault(str(a), {}).setdefault(str(b), set()).add(str(source))


def circle(graph, trail, done):
    """Nodes from trail's first that lead back into the trail, or None; done: nodes no circle leads from."""
    for target in set(graph.get(trail[-1], {})) - done:
        found = trail[trail.index(target):] + [target] if target in trail else circle(graph, trail + [target], done)
        if found:
            return found
    done.add(trail[-1])


failed = False
for kind, graph in edges.items():
    done = set()
    found = next(filter(None, (circle(graph, [node], done) for node in sorted(graph))), None)
    if found:
        failed = True
        print("circle between %s:" % kind, " -> ".join(found))
        for a, b in zip(found, found[1:]):
            print("  %s -> %s by %s" % (a, b, ", ".join(sorted(graph[a][b]))))
sys.exit(1 if failed else 0)
