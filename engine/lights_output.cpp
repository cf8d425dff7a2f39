#include "lights_output.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "journal.h"
#include "json_text.h"
#include "lights_packets.h"
#include "lights_platform.h"

namespace {
constexpr unsigned kStopWaitMs = 1000;           // the thread only sends, and never waits on a send
constexpr std::int64_t kSendErrorGapMs = 10000;  // at most one journal line for send errors this often

struct Output {
    LightsConfig config;
    E131Source source;
    LightsLink* link = nullptr;
    bool preview = false;
    RoomModel room;  // under the lights lock
    std::uint64_t frames = 0, errors = 0;
    std::int64_t errorJournalledMs = 0;
};

// The lights lock is around the phase, the output in force and its room model; held only to hand
// over a script (and, at a run's first script, to read the configuration and start the thread) or to
// read the room for one frame. Nothing is journalled and nothing is sent while it is held.
enum class Phase { unread, running, off } phase = Phase::unread;  // a run's configuration is read once
Output* output = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> socketsOpened{0};
// Carried on from one run of the output to the next in the process (whose threads may overlap by
// a moment): receivers drop packets whose sequence number seems to go backwards.
std::atomic<unsigned> e131Sequence{0}, artSequence{0};

std::string json(const std::string& text) {
    std::string out;
    appendJsonString(out, text.data(), text.size());
    return out;
}

std::string cidText(const std::array<std::uint8_t, 16>& cid) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < cid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += digits[cid[i] >> 4];
        text += digits[cid[i] & 15];
    }
    return text;
}

RoomState roomNow(Output& out, std::int64_t& ms) {
    takeLightsLock();
    ms = lightsNowUs() / 1000;
    const RoomState room = out.room.stateAt(ms);
    leaveLightsLock();
    return room;
}

void send(Output& out, const DmxFrame& frame, std::uint8_t options) {
    std::vector<std::uint8_t> packet;
    if (out.config.protocol == LightsProtocol::e131) {
        packet = e131DataPacket(out.source, out.config.priority, static_cast<std::uint8_t>(e131Sequence++),
                                options, out.config.universe, frame);
    } else {
        // 1 to 255: 0 would turn the node's reordering off.
        packet = artDmxPacket(static_cast<std::uint8_t>(artSequence++ % 255 + 1), out.config.universe, frame);
    }
    int error = 0;
    if (sendLightsPacket(out.link, packet, error)) {
        ++out.frames;
        return;
    }
    const std::int64_t ms = lightsNowUs() / 1000;
    if (out.errors++ == 0 || ms - out.errorJournalledMs >= kSendErrorGapMs) {
        out.errorJournalledMs = ms;
        JournalLine("lights", -1, "sendError").number("error", error).number("errors", static_cast<std::int64_t>(out.errors))
            .write(0);
    }
}

void endStream(Output& out, const DmxFrame& frame) {
    if (out.config.protocol == LightsProtocol::e131)
        for (int i = 0; i < 3; ++i) send(out, frame, kE131StreamTerminated);
}

void sendFrames(void* parameter) {
    Output& out = *static_cast<Output*>(parameter);
    const std::int64_t periodUs = 1000000 / out.config.rate;
    SendSchedule schedule;
    std::int64_t next = lightsNowUs(), ms = 0;
    bool yielded = false;
    if (!out.preview) {
        claimLights(out.link);
        // A preview looks once a frame: from its next look on it is silent.
        next += periodUs + 10000;
    }
    DmxFrame frame{};
    for (;;) {
        const std::int64_t waitUs = next - lightsNowUs();
        if (waitLightsTick(out.link, waitUs > 0 ? waitUs : 0)) break;
        frame = dmxFrame(out.config, roomNow(out, ms));
        if (out.preview) {
            const bool fullScreenRuns = lightsHeldElsewhere(out.link);
            if (fullScreenRuns && !yielded) endStream(out, frame);  // receivers let this source go at once
            if (fullScreenRuns != yielded) schedule = SendSchedule{};
            yielded = fullScreenRuns;
        }
        if (!yielded && schedule.due(frame, ms)) send(out, frame, 0);
        // Never faster than the rate: a tick that came late is not made up for.
        next += periodUs;
        if (next < lightsNowUs()) next = lightsNowUs() + periodUs;
    }
    // The end of the run: what blows and shakes comes to rest, the lights stay as they are, and the
    // stream is ended so that receivers let the source go at once. A preview that gave the lights
    // to a full-screen run has ended its stream already and leaves them to it.
    if (!yielded) {
        RoomState room = roomNow(out, ms);
        std::fill(std::begin(room.fan), std::end(room.fan), 0.0f);
        std::fill(std::begin(room.rumble), std::end(room.rumble), 0.0f);
        const DmxFrame still = dmxFrame(out.config, room);
        for (int i = 0; i < 3; ++i) send(out, still, 0);
        endStream(out, still);
    }
    closeLightsLink(out.link);
    JournalLine("lights", -1, "stopped").number("frames", static_cast<std::int64_t>(out.frames))
        .number("errors", static_cast<std::int64_t>(out.errors)).number("sockets", socketsOpened)
        .text("end", lightsStopAsked(out.link) ? "released" : "processEnding").write(0);
    lightsAtRest(out.link);
}

// Runs under the lights lock, at a run's first script: reads the configuration and, when it is
// sound, opens the socket and starts the thread. Gives the journal's account.
// status: what the status file is to say, or nothing where there is no configuration to speak of.
std::string startOutput(const std::string& path, std::string& status) {
    std::string account = "{\"config\":" + json(path);
    const std::string end = kStatusLineEnd;
    const std::string journal = journalFile();
    const std::string journalLine =
        journal.empty() ? std::string() : "The engine's journal, with every call and send: " + journal + end;
    status = "Zovi room lights, " + lightsLocalTimeText() + end + "Configuration: " + path + end;
    auto off = [&](const std::string& why, const std::string& said) {
        phase = Phase::off;
        status += "Off: " + said + end + "Nothing is sent; the saver's next start reads the configuration again." +
                  end + journalLine;
        return account + ",\"output\":\"off\"," + why + ",\"sockets\":" + std::to_string(socketsOpened) + "}";
    };
    std::string text, reason;
    if (!readLightsConfigText(path, text, reason)) {
        if (reason == "no configuration") status.clear();
        return off("\"reason\":" + json(reason), reason);
    }
    const LightsConfigReading reading = readLightsConfig(text.data(), text.size());
    if (!reading.ok)
        return off("\"errorLine\":" + std::to_string(reading.errorLine) + ",\"error\":" + json(reading.error),
                   (reading.errorLine ? "line " + std::to_string(reading.errorLine) + ": " : std::string("the file: ")) +
                       reading.error);

    bool opened = false;
    std::string why;
    LightsLink* link = openLightsLink(lightsDestination(reading.config), lightsPort(reading.config), opened, why);
    if (opened) ++socketsOpened;
    if (!link) return off("\"reason\":" + json(why), why);
    Output* made = new Output;
    made->config = reading.config;
    made->source = lightsSourceOfThisProcess();
    made->preview = lightsPreviewProcess();
    made->link = link;
    if (!runLightsThread(link, sendFrames, made, why)) {
        delete made;
        return off("\"reason\":" + json(why), why);
    }
    output = made;
    phase = Phase::running;
    const LightsConfig& config = made->config;
    status += std::string("Sending: ") + (config.protocol == LightsProtocol::e131 ? "E1.31" : "Art-Net") + " to " +
              ipv4Text(lightsDestination(config)) + ":" + std::to_string(lightsPort(config)) + ", universe " +
              std::to_string(config.universe) + ", " + std::to_string(config.rate) + " frames a second" +
              (config.protocol == LightsProtocol::e131 ? ", as the source \"" + made->source.name + "\" " +
                                                             cidText(made->source.cid) + " (this run only)"
                                                       : std::string()) +
              (made->preview ? ", a preview: a full-screen run takes the lights from it" : "") + end + journalLine;
    return account + ",\"output\":\"" + (config.protocol == LightsProtocol::e131 ? "e131" : "artnet") +
           "\",\"to\":\"" + ipv4Text(lightsDestination(config)) + ":" + std::to_string(lightsPort(config)) +
           "\",\"universe\":" + std::to_string(config.universe) + ",\"rate\":" + std::to_string(config.rate) +
           ",\"sockets\":" + std::to_string(socketsOpened) + "}";
}

void stopOutput() {
    takeLightsLock();
    Output* ending = output;
    output = nullptr;
    phase = Phase::unread;  // the next run reads the configuration again
    leaveLightsLock();
    if (!ending) return;
    // A thread that has not ended in time keeps its output and finishes by itself.
    if (stopLightsThread(ending->link, kStopWaitMs)) delete ending;
}
}  // namespace

void prepareLightsOutput() { makeLightsLock(); }

std::string lightsPlay(const ParsedScript& script) {
    std::string account, status, statusFile;
    takeLightsLock();
    if (phase == Phase::unread) {
        const std::string path = lightsConfigPath();
        account = startOutput(path, status);
        statusFile = lightsStatusPath(path);
    }
    if (phase == Phase::running) output->room.play(script, lightsNowUs() / 1000);
    leaveLightsLock();
    if (!status.empty()) writeLightsStatus(statusFile, status);
    return account;
}

void lightsObjectMade() { ++liveObjects; }

void lightsObjectReleased() {
    if (--liveObjects == 0) stopOutput();
}
