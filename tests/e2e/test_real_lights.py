"""The room's real lights: zovi.scr /s sends E1.31 to our receiver on loopback; what arrives follows the
room model at the rate, in sequence, and ends after the last release. Unconfigured, no socket is made."""

import os
from importlib.machinery import SourceFileLoader

from zovi_e2e import ROOT, Desktop, run_tests, wait_for, windows_path

lights, room = (SourceFileLoader(name.replace("-", "_"), os.path.join(ROOT, "tools", name)).load_module()
                for name in ("lights-receiver", "room"))
RATE, UNIVERSE, FAN, RUMBLE = 40, 7, 28, 37  # fans on channels 28-36, rumbles on 37-45
CONFIG = "protocol = e131\ntarget = 127.0.0.1\nport = {port}\nuniverse = %d\nrate = %d\n" % (UNIVERSE, RATE) + "".join(
    "light %s = %d 1\nfan %s = %d\nrumble %s = %d\n" % (at, 1 + 3 * i, at, FAN + i, at, RUMBLE + i)
    for i, at in enumerate(room.LOCATIONS))


def run_saver(desktop, config, sweeps):
    desktop.env["ZOVI_ROOM_CONFIG"] = windows_path(config)
    saver = desktop.saver("/s")
    wait_for(lambda: sum(e["call"] == "playScript" for e in desktop.journal()) >= 3 * sweeps, what="the sweeps")
    assert desktop.close(saver) == 0
    return desktop.journal()


def test_a_saver_run_drives_the_lights_and_without_a_configuration_nothing_is_sent():
    with Desktop(effects=True) as desktop:
        receiver = lights.Receiver(seconds=120)
        config = os.path.join(desktop.work.name, "Zovi Room.txt")
        open(config, "w").write(CONFIG.format(port=receiver.port))
        receiver.start()
        entries = run_saver(desktop, config, sweeps=4)
        receiver.join(10)  # the stream's end
        quiet = run_saver(desktop, os.path.join(desktop.work.name, "none.txt"), sweeps=1)
    records, packets = receiver.records, [p for _, p in receiver.records]
    print("receiver:", lights.summary(records))
    assert not receiver.unknown
    sends = [e for e in entries if e["call"] == "playScript"]
    assert sends[0]["lights"].items() >= {"output": "e131", "to": "127.0.0.1:%d" % receiver.port}.items(), sends[0]
    stopped = [(e["call"], e["args"]["errors"], e["args"]["frames"]) for e in entries if e["table"] == "lights"]
    assert stopped == [("stopped", 0, len(records))], (stopped, len(records))
    assert {(p["cid"], p["source"], p["priority"], p["universe"], p["start"]) for p in packets} == \
        {(packets[0]["cid"], packets[0]["source"], 100, UNIVERSE, 0)} and "Zovi" in packets[0]["source"]
    assert all(b["sequence"] == (a["sequence"] + 1) % 256 for a, b in zip(packets, packets[1:]))
    # The end: fans and rumbles to 0, then the stream terminated, after the server's last release.
    released = next(e["time"] for e in reversed(entries) if e["call"] == "release" and e["table"] == "server")
    assert [p["options"] for p in packets] == [0] * (len(packets) - 3) + [0x40] * 3, packets[-6:]
    assert records[-6][0] * 1000 >= released - 5 and not any(packets[-4]["slots"][FAN - 1:RUMBLE + 8])

    # Every frame before the end holds what the room model gave within the last 80 ms before it arrived.
    running, start = records[:-6], sends[0]["time"]
    times = [t for t, _ in running]
    assert RATE // 2 <= lights.busiest_second(times) <= RATE + 1, lights.busiest_second(times)
    room.build_model()
    _, samples = room.play([(round(e["time"] - start), e["result"], e["script"]) for e in sends],
                           round(times[-1] * 1000 - start) + 100)
    samples = [(s["ms"], [round(v * 255) for v in s["light"] + s["fan"] + s["rumble"]]) for s in samples]
    for arrived, packet in running:
        ms = arrived * 1000 - start
        near = [slots for at, slots in samples if ms - 80 <= at <= ms + 10]
        for slot in range(45):
            low, high = min(s[slot] for s in near), max(s[slot] for s in near)
            assert low - 3 <= packet["slots"][slot] <= high + 3, (ms, slot + 1, packet["slots"][slot], low, high)

    # Unconfigured: the journal says so, and the process never had a socket.
    off = [e for e in quiet if e["call"] == "playScript"][0]["lights"]
    assert off["output"] == "off" and off["reason"] == "no configuration" and off["sockets"] == 0, off
    assert not [e for e in quiet if e["table"] == "lights"]


if __name__ == "__main__":
    run_tests(globals())
