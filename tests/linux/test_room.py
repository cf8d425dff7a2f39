"""zovi-logo drives the room's real lights from the user's room.txt through the engine built into it:
a loopback E1.31 receiver sees the sweeps' colours, the first cycle's azure first, and the stream's end
when the program ends. Without a configuration the program opens no UDP socket and sends nothing."""

import os
import signal
import subprocess
import sys
import tempfile
from importlib.machinery import SourceFileLoader

from x_session import PROGRAM, XServer, wait_for

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
lights = SourceFileLoader("lights_receiver", os.path.join(ROOT, "tools", "lights-receiver")).load_module()
AZURE = (51, 130, 176)  # 20 51 69 in percent on the centre light's channels


def sweeps(receiver):
    """The brightest colour of each sweep seen whole: the room is dark between sweeps."""
    whole, brightest = [], None
    for _, packet in list(receiver.records):
        colour = tuple(packet["slots"][:3])
        if any(colour):
            brightest = max(brightest or colour, colour, key=sum)
        elif brightest:
            whole, brightest = whole + [brightest], None
    return whole


def udp_sockets(pid):
    udp = {line.split()[9] for line in open("/proc/net/udp").readlines()[1:]}
    links = [os.readlink("/proc/%d/fd/%s" % (pid, fd)) for fd in os.listdir("/proc/%d/fd" % pid)]
    return [link for link in links if link[8:-1] in udp]


def run(x, home, until):
    journal = os.path.join(home, "journal.jsonl")
    env = dict(x.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"), ZOVI_EFFECTS_JOURNAL=journal)
    program = subprocess.Popen([PROGRAM, "--window-id", str(x.make_window().id)], env=env)
    wait_for(lambda: os.path.exists(journal) and "playScript" in open(journal).read() and until(), 15, "sweeps")
    sockets = udp_sockets(program.pid)
    program.send_signal(signal.SIGTERM)
    assert program.wait(5) == 0
    return sockets


def main():
    x, receiver = XServer(), lights.Receiver(seconds=60, ends=2)
    try:
        with tempfile.TemporaryDirectory() as lit, tempfile.TemporaryDirectory() as dark:
            os.makedirs(os.path.join(lit, "config", "zovi"))
            with open(os.path.join(lit, "config", "zovi", "room.txt"), "w") as config:
                config.write("protocol = e131\ntarget = 127.0.0.1\nport = %d\nlight centre = 1 1\n" % receiver.port)
            receiver.start()
            assert len(run(x, lit, lambda: len(sweeps(receiver)) >= 2)) == 1
            wait_for(lambda: [p["options"] for _, p in receiver.records[-4:]] == [0, 64, 64, 64], 5, "stream's end")
            status = open(os.path.join(lit, "config", "zovi", "room-status.txt")).read()
            print("receiver:", lights.summary(receiver.records), "\n  sweeps' colours:", sweeps(receiver))
            assert sweeps(receiver)[0] == AZURE and sweeps(receiver)[1] != AZURE, sweeps(receiver)
            assert "Sending: E1.31 to 127.0.0.1:%d" % receiver.port in status, status
            heard = len(receiver.records)
            assert run(x, dark, lambda: True) == []
            receiver.stop()
            assert len(receiver.records) == heard and not receiver.unknown
            assert not os.path.exists(os.path.join(dark, "config"))
    finally:
        x.close()
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
