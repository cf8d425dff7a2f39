"""The built zovi.scr imports only what Windows 98 SE's system DLLs export: its import table read with
objdump, held against the committed list (src/resources/windows98se-imports.txt)."""

import re
import subprocess
import sys

scr, allowed_list = sys.argv[1], sys.argv[2]
allowed = {}
for line in open(allowed_list):
    if line.strip() and not line.startswith("#"):
        dll, *functions = line.split()
        allowed.setdefault(dll.lower(), set()).update(functions)

dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", scr], capture_output=True, text=True, check=True).stdout
imports, dll = [], None
for line in dump.splitlines():
    named = re.match(r"\s*DLL Name: (\S+)", line)
    if named:
        dll = named.group(1).lower()
    entry = re.match(r"\t[0-9a-f]+\t +\d+ +(\S+)$", line)
    if dll and entry:
        imports.append((dll, entry.group(1)))

unknown = [(d, f) for d, f in imports if f not in allowed.get(d, set())]
print("%d imports from %d DLLs" % (len(imports), len({d for d, _ in imports})))
for d, f in unknown:
    print("not known to exist on Windows 98 SE: %s!%s" % (d, f))
sys.exit(1 if unknown or not imports else 0)
