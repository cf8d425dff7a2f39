"""The Debian package under the real XScreenSaver daemon: installed with dpkg, chosen in a user's
~/.xscreensaver, the daemon activated and deactivated, then removed, leaving nothing behind. The
daemon refuses to run as root, so an ordinary user runs it (made here when missing)."""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

from x_session import XServer, ended_within, pids_named, wait_for

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
USER = "zovi-test"
INSTALLED = "/usr/libexec/xscreensaver/zovi-logo"
WATCHED = ["/usr/libexec/xscreensaver", "/usr/share/xscreensaver/config", "/usr/share/applications",
           "/usr/share/man/man6", "/usr/share/doc"]
SETTINGS = """mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
timeout: 0:30:00
programs: GL: "Zovi Logo" zovi-logo --root \\n
"""


def tree():
    return {os.path.join(top, name) for place in WATCHED for top, dirs, files in os.walk(place) for name in dirs + files}


def dpkg(*args):
    # Another package tool may hold dpkg's lock for a while: wait for it, do not fight it.
    for _ in range(120):
        done = subprocess.run(["dpkg", *args], capture_output=True, text=True)
        if done.returncode != 2 or "lock" not in done.stderr:
            assert done.returncode == 0, done.stderr
            return
        time.sleep(1)
    raise AssertionError("dpkg's lock stayed held")


def as_user(user, env, *command, **options):
    return subprocess.Popen(["runuser", "-u", USER, "--", "env", "HOME=" + user.pw_dir, "DISPLAY=" + env["DISPLAY"],
                             *command], cwd=user.pw_dir, **options)


def main():
    if os.geteuid() != 0:
        print("skipped: installing a package needs root")
        return 77
    out = tempfile.mkdtemp()
    deb = subprocess.run([os.path.join(ROOT, "tools/debian/build-deb"), out], check=True, capture_output=True,
                         text=True).stdout.strip()
    before = tree()
    dpkg("-i", deb)
    try:
        subprocess.run(["id", USER], capture_output=True).returncode == 0 or \
            subprocess.run(["useradd", "-m", USER], check=True)
        user = pwd.getpwnam(USER)
        with open(os.path.join(user.pw_dir, ".xscreensaver"), "w") as f:
            f.write(SETTINGS)
        x = XServer()
        daemon = as_user(user, x.env, "xscreensaver", "-no-splash", stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        try:
            command = lambda verb: as_user(user, x.env, "xscreensaver-command", verb, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL).wait() == 0
            wait_for(lambda: command("-version"), 10, "daemon answering")
            assert command("-activate")
            pid = wait_for(lambda: pids_named("zovi-logo", user.pw_uid), 10, "zovi-logo started by the daemon")[0]
            with open("/proc/%d/environ" % pid, "rb") as f:
                assert b"XSCREENSAVER_WINDOW=" in f.read(), "not given the daemon's window"
            assert os.readlink("/proc/%d/exe" % pid) == INSTALLED
            hue = x.assert_first_cycle_lit()
            assert command("-deactivate")
            ms = ended_within(pid, 1.0, "deactivation")
            print("ok   activated: the daemon's window lit at hue %.0f; deactivated: ended %.0f ms after" % (hue, ms))
        finally:
            daemon.terminate()
            daemon.wait()
            x.close()
    finally:
        dpkg("-r", "zovi-logo")
        shutil.rmtree(out)
    left = tree() ^ before
    assert not left, "removal left %s" % sorted(left)
    print("ok   installed with dpkg -i and removed with dpkg -r, leaving nothing")
    return 0


if __name__ == "__main__":
    sys.exit(main())
