"""The built zovi.scr imports only what Windows 98 SE's system DLLs export: its import table read with
objdump, held against the committed list (src/resources/windows98se-imports.txt)."""

import re
import subprocess
import sys

allowed = set()
for line in open(sys.argv[2]):
    if line.strip() and not line.startswith("#"):
        dll, *functions = line.split()
        allowed.update((dll.lower(), f) for f in functions)
imports, dll = [], None
for line in subprocess.run(["i686-w64-mingw32-objdump", "-p", sys.argv[1]], capture_output=True, text=True,
                           check=True).stdout.splitlines():
    dll = (re.findall(r"DLL Name: (\S+)", line) or [dll])[0].lower() if "DLL Name:" in line else dll
    imports += [(dll, f) for f in re.findall(r"^\t[0-9a-f]+\t +\d+ +(\S+)$", line) if dll]
unknown = [i for i in imports if i not in allowed]
print("%d imports from %d DLLs" % (len(imports), len({d for d, _ in imports})))
for d, f in unknown:
    print("not known to exist on Windows 98 SE: %s!%s" % (d, f))
sys.exit(1 if unknown or not imports else 0)
