"""Measures what the saver costs against its drawing floor, under Wine on a private 1280x800 X
server: A = zovi.scr /s as shipped; B1 = the floor drawing the saver's own frame with nothing else;
B0 = the floor only clearing and swapping. Runs A B1 B0 in turn for several rounds and prints every
run, the medians, and A/B1 and A/B0 round by round. B1+ (the floor drawing, plus the common controls
and three waiting threads that every saver process carries) is run after them to attribute memory.

CPU is the program's own Linux process (user + system time, all its threads) per wall second while
it runs; Wine's server works for every program alike and is printed apart, not counted in. Frames
are the presents the X server reports on the window (XDamage). First frame is the time from starting
the process to its first present. Peak memory is the process's high-water resident set (VmHWM)."""

import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.path.join(ROOT, "build", os.environ.get("ZOVI_BENCH_ARCH", "win32"))  # the pair that runs here
COUNTER = os.path.join(ROOT, "build", "bench", "frame_counter")  # built by tools/bench
TICKS = os.sysconf("SC_CLK_TCK")

KINDS = {
    "A": ([os.path.join(BUILD, "zovi.scr"), "/s"], "Screen Saver"),
    "B1": ([os.path.join(BUILD, "zovi-bench-floor.exe"), "draw"], "Zovi bench floor"),
    "B0": ([os.path.join(BUILD, "zovi-bench-floor.exe"), "clear"], "Zovi bench floor"),
    "B1+": ([os.path.join(BUILD, "zovi-bench-floor.exe"), "draw", "controls", "threads"], "Zovi bench floor"),
}
ORDER = ("A", "B1", "B0", "B1+")


def read_proc(pid, name, mode="r"):
    """One of a process's /proc files, or None once the process is gone."""
    try:
        with open("/proc/%d/%s" % (pid, name), mode) as f:
            return f.read()
    except OSError:
        return None


def all_pids():
    return sorted(int(p) for p in os.listdir("/proc") if p.isdigit())


def stat_of(pid):
    """A process's name and the fields after it in /proc/PID/stat (the name may hold spaces)."""
    stat = read_proc(pid, "stat")
    if stat is None:
        return None, []
    name, rest = stat.split(" (", 1)[1].rsplit(")", 1)
    return name, rest.split()


def cpu_seconds(pid):
    """User plus system CPU seconds, not a number once the process is gone (never printed as 0)."""
    fields = stat_of(pid)[1]
    return (int(fields[11]) + int(fields[12])) / TICKS if fields else float("nan")


def peak_memory_mb(pid):
    for line in (read_proc(pid, "status") or "").splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return 0.0


def linux_pid(path):
    """The Linux process running the Windows program at path (Wine names it after the program as it
    was given, or as its Windows path): another checkout's saver of the same name is not it."""
    for pid in reversed(all_pids()):
        argv0 = (read_proc(pid, "cmdline", "rb") or b"").split(b"\0")[0].decode(errors="replace")
        if argv0 in (path, "Z:" + path.replace("/", "\\")):
            return pid
    return 0


def wineserver_pid():
    """The latest started wineserver: the one serving the program just started (an older one may
    still be ending)."""
    latest, latest_start = 0, -1
    for pid in all_pids():
        name, fields = stat_of(pid)
        if name and name.startswith("wineserver") and int(fields[19]) > latest_start:
            latest, latest_start = pid, int(fields[19])
    return latest


def run(kind, seconds, env):
    command, title = KINDS[kind]
    # The counter waits for the window before the program starts, so it sees the first present.
    counter = subprocess.Popen([COUNTER, title, str(seconds)], env=env, stdout=subprocess.PIPE, text=True)
    started = time.monotonic()
    program = subprocess.Popen([os.environ.get("ZOVI_WINE", "wine"), *command], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pid = 0
    while not pid and time.monotonic() - started < 30:
        pid = linux_pid(command[0])
        time.sleep(0.01)
    # CPU over the counted stretch only: from the window's first present to the counter's end.
    time.sleep(1.0)
    server = wineserver_pid()
    cpu0, server0, wall0 = cpu_seconds(pid), cpu_seconds(server), time.monotonic()
    out = counter.communicate()[0]
    cpu1, server1, wall1 = cpu_seconds(pid), cpu_seconds(server), time.monotonic()
    peak = peak_memory_mb(pid)
    values = dict(item.split("=") for item in out.split())
    subprocess.run(["xdotool", "key", "space"], env=env)
    try:
        program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        program.kill()
    subprocess.run(["wineserver", "-w"], env=env)
    wall = wall1 - wall0
    return {
        "cpu": (cpu1 - cpu0) / wall,
        "server": (server1 - server0) / wall,
        "fps": int(values["frames"]) / float(values["seconds"]),
        "first_ms": (float(values["first_frame"]) - started) * 1000 if float(values["first_frame"]) else float("nan"),
        "peak_mb": peak,
    }


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    env = dict(os.environ)
    results = {kind: [] for kind in KINDS}
    print("%-6s %-3s %8s %8s %8s %10s %8s" % ("round", "run", "cpu/s", "server/s", "fps", "first ms", "peak MB"))
    for r in range(1, rounds + 1):
        for kind in ORDER:
            m = run(kind, seconds, env)
            results[kind].append(m)
            print("%-6d %-3s %8.3f %8.3f %8.1f %10.0f %8.1f" % (r, kind, m["cpu"], m["server"], m["fps"], m["first_ms"], m["peak_mb"]), flush=True)
        a, b1, b0, b1c = (results[kind][-1] for kind in ORDER)
        print("       A/B1 cpu %.3f fps %.3f first %+.0f ms peak %+.1f MB | A/B0 cpu %.3f fps %.3f | A-(B1+) peak %+.1f MB"
              % (a["cpu"] / b1["cpu"], a["fps"] / b1["fps"], a["first_ms"] - b1["first_ms"], a["peak_mb"] - b1["peak_mb"],
                 a["cpu"] / b0["cpu"], a["fps"] / b0["fps"], a["peak_mb"] - b1c["peak_mb"]), flush=True)
    print("\nmedians")
    med = {k: {f: statistics.median(m[f] for m in v) for f in v[0]} for k, v in results.items()}
    for kind in ORDER:
        m = med[kind]
        print("%-9s %8.3f %8.3f %8.1f %10.0f %8.1f" % (kind, m["cpu"], m["server"], m["fps"], m["first_ms"], m["peak_mb"]))
    a, b1, b0, b1c = (med[kind] for kind in ORDER)
    print("A/B1: cpu %.3f (target <= 1.05), fps %.3f (>= 0.98), first frame %+.0f ms (<= +50), peak %+.1f MB (<= +5)"
          % (a["cpu"] / b1["cpu"], a["fps"] / b1["fps"], a["first_ms"] - b1["first_ms"], a["peak_mb"] - b1["peak_mb"]))
    print("A/B0: cpu %.3f, fps %.3f" % (a["cpu"] / b0["cpu"], a["fps"] / b0["fps"]))
    print("memory carried by every saver process (B1+ - B1): %+.1f MB; the saver's own beyond it (A - B1+): %+.1f MB"
          % (b1c["peak_mb"] - b1["peak_mb"], a["peak_mb"] - b1c["peak_mb"]))


if __name__ == "__main__":
    main()
