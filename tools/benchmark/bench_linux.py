"""Measures the native program against its floor on one private 1280x800 X server, in turn for
several rounds: A = zovi-logo in its own full-screen window as a user would start it; B1 = the
floor drawing the same frame with the same code in a bare GLX loop; B0 = the floor only clearing
and swapping. The same measures as the Windows benchmark (bench.py): CPU of the process per wall
second over the counted stretch, presents counted through XDamage, the first present from the
process's start, and the peak resident set (VmHWM). On a machine whose cores are shared, a run gets
the frames the scheduler lets it draw: CPU milliseconds per frame shows the cost of one frame apart
from how many were drawn."""

import os
import signal
import statistics
import subprocess
import sys
import time

from bench import COUNTER, ROOT, cpu_seconds, peak_memory_mb

BUILD = os.path.join(ROOT, "build", "linux")
KINDS = {
    "A": ([os.path.join(BUILD, "zovi-logo")], "Zovi Logo Screensaver"),
    "B1": ([os.path.join(BUILD, "zovi-logo-floor"), "draw"], "Zovi bench floor"),
    "B0": ([os.path.join(BUILD, "zovi-logo-floor"), "clear"], "Zovi bench floor"),
}
ORDER = ("A", "B1", "B0")


def run(kind, seconds):
    command, title = KINDS[kind]
    counter = subprocess.Popen([COUNTER, title, str(seconds)], stdout=subprocess.PIPE, text=True)
    started = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    time.sleep(1.0)
    cpu0, wall0 = cpu_seconds(program.pid), time.monotonic()
    out = counter.communicate()[0]
    cpu1, wall1 = cpu_seconds(program.pid), time.monotonic()
    peak = peak_memory_mb(program.pid)
    program.send_signal(signal.SIGTERM)
    program.wait(timeout=10)
    values = dict(item.split("=") for item in out.split())
    first = float(values["first_frame"])
    return {
        "cpu": (cpu1 - cpu0) / (wall1 - wall0),
        "fps": int(values["frames"]) / float(values["seconds"]),
        "ms_frame": (cpu1 - cpu0) / (wall1 - wall0) / max(int(values["frames"]) / float(values["seconds"]), 1e-9) * 1000,
        "first_ms": (first - started) * 1000 if first else float("nan"),
        "peak_mb": peak,
    }


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    results = {kind: [] for kind in KINDS}
    print("%-6s %-3s %8s %8s %9s %10s %8s" % ("round", "run", "cpu/s", "fps", "cpu ms/f", "first ms", "peak MB"))
    for r in range(1, rounds + 1):
        for kind in ORDER:
            m = run(kind, seconds)
            results[kind].append(m)
            print("%-6d %-3s %8.3f %8.1f %9.2f %10.0f %8.1f"
                  % (r, kind, m["cpu"], m["fps"], m["ms_frame"], m["first_ms"], m["peak_mb"]), flush=True)
    print("\nmedians")
    med = {k: {f: statistics.median(m[f] for m in v) for f in v[0]} for k, v in results.items()}
    for kind in ORDER:
        m = med[kind]
        print("%-9s %8.3f %8.1f %9.2f %10.0f %8.1f" % (kind, m["cpu"], m["fps"], m["ms_frame"], m["first_ms"], m["peak_mb"]))
    a, b1, b0 = (med[kind] for kind in ORDER)
    print("A/B1: cpu %.3f (target <= 1.05), fps %.3f (>= 0.98), cpu per frame %.3f, first frame %+.0f ms, "
          "peak %+.1f MB (<= +2)" % (a["cpu"] / b1["cpu"], a["fps"] / b1["fps"], a["ms_frame"] / b1["ms_frame"],
                                     a["first_ms"] - b1["first_ms"], a["peak_mb"] - b1["peak_mb"]))
    print("A/B0: cpu %.3f, fps %.3f" % (a["cpu"] / b0["cpu"], a["fps"] / b0["fps"]))


if __name__ == "__main__":
    main()
