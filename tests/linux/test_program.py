"""zovi-logo on a private X server, seen from outside: it lights its window in the first cycle's
colour, then ends by each of the ways it must end, quietly and at once."""

import os
import signal
import subprocess
import sys

from Xlib import X

from x_session import PROGRAM, XServer, ended_within, gone as ended


def send(signal_number):
    return lambda x, run: os.kill(run["pid"], signal_number)


def destroy_window(x, run):
    run["window"].destroy()
    x.display.sync()


def kill_parent(x, run):
    os.kill(run["parent"].pid, signal.SIGKILL)


def xdotool(*command):
    return lambda x, run: subprocess.run(["xdotool", *command], env=x.env, check=True)


# name, drawn into, how it is started, how it is ended
CASES = [
    ("SIGTERM", "given", "direct", send(signal.SIGTERM)),
    ("SIGINT", "given", "direct", send(signal.SIGINT)),
    ("window destroyed first", "given", "direct", destroy_window),
    ("preview's parent killed", "given", "child", kill_parent),
    ("daemon's window destroyed first", "daemon", "direct", destroy_window),
    ("own window: a key", "own", "direct", xdotool("key", "space")),
    ("own window: mouse travel", "own", "direct", xdotool("mousemove_relative", "--", "12", "0")),
]


def start(x, target, how):
    run = {"window": None if target == "own" else x.make_window()}
    env = dict(x.env)
    args = [PROGRAM]
    if target == "given":
        args += ["--window-id", str(run["window"].id)]
    elif target == "daemon":
        env["XSCREENSAVER_WINDOW"] = hex(run["window"].id)
        args += ["--root"]
    if how == "child":
        # The window's owner starts the program and dies; the program must not outlive it.
        run["parent"] = subprocess.Popen(["sh", "-c", '"$@" & echo $!; exec sleep 60', "sh", *args], env=env,
                                         stdout=subprocess.PIPE, text=True)
        run["pid"] = int(run["parent"].stdout.readline())
    else:
        run["process"] = subprocess.Popen(args, env=env, stderr=subprocess.PIPE, text=True)
        run["pid"] = run["process"].pid
    return run


def main():
    x = XServer()
    failures = 0
    try:
        for name, target, how, end in CASES:
            try:
                run = start(x, target, how)
                hue = x.assert_first_cycle_lit(run["window"])
                end(x, run)
                ms = ended_within(run["pid"], 1.0, name)
                if "process" in run:
                    code, errors = run["process"].wait(), run["process"].stderr.read()
                    assert code == 0 and not errors, "exit %d, stderr %r" % (code, errors)
                else:
                    run["parent"].wait()
                print("ok   %-32s lit at hue %3.0f, ended %4.0f ms after" % (name, hue, ms))
            except AssertionError as failure:
                failures += 1
                print("FAIL %-32s %s" % (name, failure))
                if "run" in locals() and not ended(run["pid"]):
                    os.kill(run["pid"], signal.SIGKILL)
    finally:
        x.close()
    print("%d passed, %d failed" % (len(CASES) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
