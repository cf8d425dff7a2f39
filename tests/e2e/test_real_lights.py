"""The room's real lights: zovi.scr /s sends E1.31 to our receiver on loopback; what arrives follows the
room model at the rate, in sequence, and ends after the last release; the status file says where it went. A refused
configuration makes no socket and the status file says why. A full-screen run takes the lights from a preview and
gives them back; a saver that ends itself (stall cut, start-up cut) still brings fans and rumbles to rest and ends
its stream."""

import os
from importlib.machinery import SourceFileLoader

from zovi_e2e import ROOT, Desktop, exit_code, run_tests, wait_for, windows_path

lights, room = (SourceFileLoader(name.replace("-", "_"), os.path.join(ROOT, "tools", name)).load_module()
                for name in ("lights-receiver", "room"))
RATE, UNIVERSE, FAN, RUMBLE = 40, 7, 28, 37  # fans on channels 28-36, rumbles on 37-45
CONFIG = "protocol = e131\ntarget = 127.0.0.1\nport = {port}\nuniverse = %d\nrate = %d\n" % (UNIVERSE, RATE) + "".join(
    "light %s = %d 1\nfan %s = %d\nrumble %s = %d\n" % (at, 1 + 3 * i, at, FAN + i, at, RUMBLE + i)
    for i, at in enumerate(room.LOCATIONS))


def status(config):
    return open(os.path.join(os.path.dirname(config), "Zovi Room status.txt"), encoding="utf-8-sig").read()


def run_saver(desktop, config, sweeps):
    desktop.env["ZOVI_ROOM_CONFIG"] = windows_path(config)
    saver = desktop.saver("/s")
    wait_for(lambda: sum(e["call"] == "playScript" for e in desktop.journal()) >= 3 * sweeps, what="the sweeps")
    assert desktop.close(saver) == 0
    return desktop.journal()


def receiving(desktop, **options):
    """A started receiver and the configuration that sends to it."""
    receiver = lights.Receiver(seconds=120, **options)
    config = os.path.join(desktop.work.name, "Zovi Room.txt")
    open(config, "w").write(CONFIG.format(port=receiver.port))
    receiver.start()
    return receiver, config


def test_a_saver_run_drives_the_lights_and_a_refused_configuration_sends_nothing(desktop):
    receiver, config = receiving(desktop)
    entries = run_saver(desktop, config, sweeps=4)
    receiver.join(10)  # the stream's end
    told = status(config)
    refused = os.path.join(desktop.work.name, "refused.txt")
    open(refused, "w").write("light centre = 1 1\ntarget = 127.0.0.255\n")
    quiet = run_saver(desktop, refused, sweeps=1)
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

    assert "Sending: E1.31 to 127.0.0.1:%d, universe %d" % (receiver.port, UNIVERSE) in told and \
        packets[0]["cid"][:8] in told.replace("-", "") and "journal" in told, told

    # Refused: the journal and the status file say where and why, and the process never had a socket.
    off = [e for e in quiet if e["call"] == "playScript"][0]["lights"]
    assert off["output"] == "off" and off["errorLine"] == 2 and off["sockets"] == 0, off
    assert not [e for e in quiet if e["table"] == "lights"]
    assert "Off: line 2: 127.0.0.255 is a broadcast address" in status(refused), status(refused)


def test_a_full_screen_run_takes_the_lights_from_a_preview_and_gives_them_back(desktop):
    receiver, config = receiving(desktop, ends=3)  # the preview's while the full screen runs, then each at its end
    desktop.env["ZOVI_ROOM_CONFIG"] = windows_path(config)
    host, _, _ = desktop.preview_host()
    cids = lambda: [p["cid"] for _, p in receiver.records]  # noqa: E731
    wait_for(lambda: len(cids()) > 10, what="the preview's frames")
    saver = desktop.saver("/s")
    wait_for(lambda: len(set(cids())) == 2 and cids().count(cids()[-1]) > 40, what="the full screen's frames")
    assert desktop.close(saver) == 0
    wait_for(lambda: cids()[-1] == cids()[0] and not receiver.records[-1][1]["options"], what="the preview again")
    host.stdin.write("close\n")
    assert host.stdout.readline().strip() == "saver-exit 0"
    receiver.join(10)
    print("two processes:", lights.summary(receiver.records))
    # Each its own source in its own sequence; the preview ended its stream twice, and nothing flickered.
    assert [(ended, breaks) for _, _, ended, breaks in lights.sources(receiver.records)] == [(6, 0), (3, 0)]
    assert lights.switches(receiver.records) == 2 and not receiver.is_alive()


def test_a_saver_that_ends_itself_brings_fans_and_rumbles_to_rest_and_ends_its_stream(desktop):
    # The stall cut after a key (the server's last release held), the start-up cut (the first fan send held).
    for faults, code in (("holdRelease=8000", 0), ("delay=600000,delayFrom=6", -1)):
        receiver, config = receiving(desktop)
        desktop.env.update(ZOVI_ROOM_CONFIG=windows_path(config), ZOVI_EFFECTS_FAULTS=faults)
        saver = desktop.saver("/s", window=None)
        wait_for(lambda: any(e["call"] in ("delay", "playScript") for e in desktop.journal()), what="a sweep")
        if code == 0:
            wait_for(lambda: desktop.windows("Screen Saver"), what="the saver")
        assert (desktop.close(saver, timeout=40) if code == 0 else exit_code(saver, timeout=30)) == code
        receiver.join(10)
        print(faults, "cut:", lights.summary(receiver.records))
        packets = [p for _, p in receiver.records]
        assert [p["options"] for p in packets[-6:]] == [0] * 3 + [0x40] * 3, faults
        assert not any(packets[-4]["slots"][FAN - 1:RUMBLE + 8])
        assert [e["args"]["end"] for e in desktop.journal() if e["table"] == "lights"] == ["processEnding"]
    del desktop.env["ZOVI_EFFECTS_FAULTS"]


if __name__ == "__main__":
    with Desktop(effects=True) as shared:
        run_tests(globals(), shared)
