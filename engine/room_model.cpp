#include "room_model.h"

#include <algorithm>
#include <limits>
#include <string>

const char* const kRoomLocationNames[kRoomLocations] = {
    "north-west", "north", "north-east", "west", "centre", "east", "south-west", "south", "south-east"};

namespace {
constexpr std::int64_t kLongAgo = std::numeric_limits<std::int64_t>::min();

// Where a change has got to at ms, having set out from `from`: in a straight line, evenly in time.
template <typename Level, typename Change>
Level along(const Level& from, const Change& change, std::int64_t ms) {
    if (ms >= change.atMs + change.overMs) return change.to;
    if (ms <= change.atMs) return from;
    const double done = static_cast<double>(ms - change.atMs) / static_cast<double>(change.overMs);
    Level level;
    for (std::size_t i = 0; i < level.size(); ++i) level[i] = from[i] + (change.to[i] - from[i]) * done;
    return level;
}
}  // namespace

RoomModel::Level RoomModel::Channel::at(std::int64_t ms) const {
    Level start = from;
    const Change* change = &now;
    for (const Change& next : toCome) {
        if (next.atMs > ms) break;
        start = along(start, *change, next.atMs);  // the next one takes over from where this got to
        change = &next;
    }
    return along(start, *change, ms);
}

void RoomModel::Channel::settle(std::int64_t ms) {
    std::size_t begun = 0;
    for (; begun < toCome.size() && toCome[begun].atMs <= ms; ++begun) {
        from = along(from, now, toCome[begun].atMs);
        now = toCome[begun];
    }
    toCome.erase(toCome.begin(), toCome.begin() + static_cast<std::ptrdiff_t>(begun));
}

RoomModel::RoomModel() : lastStartMs(kLongAgo) {
    // Before the first script every light is black at full brightness and nothing moves.
    const Level starts[kChannels] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    for (int kind = 0; kind < kChannels; ++kind)
        for (Channel& channel : channels[kind])
            channel = Channel{starts[kind], {kLongAgo, 0, starts[kind]}, {}};
}

void RoomModel::play(const ParsedScript& script, std::int64_t startMs) {
    if (!script.parsed) return;
    startMs = std::max(startMs, lastStartMs);
    lastStartMs = startMs;
    auto channelOf = [](const EffectEvent& event) {
        switch (event.device) {
        case EffectDevice::light: return event.action == EffectAction::colour ? lightColour : lightBrightness;
        case EffectDevice::fan: return fanLevel;
        case EffectDevice::rumble: return rumbleLevel;
        }
        return fanLevel;
    };
    bool named[kChannels] = {};
    for (const EffectEvent& event : script.events) {
        named[channelOf(event)] = true;
        if (event.device == EffectDevice::light) named[lightColour] = named[lightBrightness] = true;
    }
    // What has begun by now stays in force; what the earlier scripts still had to come for the
    // kinds this one names is dropped.
    for (int kind = 0; kind < kChannels; ++kind) {
        for (Channel& channel : channels[kind]) {
            channel.settle(startMs);
            if (named[kind]) channel.toCome.clear();
        }
    }
    for (const EffectEvent& event : script.events) {
        const int kind = channelOf(event);
        Change change{startMs + event.atMs, event.overMs, {event.percent / 100.0, 0, 0}};
        if (kind == lightColour) change.to = {event.red / 100.0, event.green / 100.0, event.blue / 100.0};
        for (int at = 0; at < kRoomLocations; ++at)
            if (event.location == "everywhere" || event.location == kRoomLocationNames[at])
                channels[kind][at].toCome.push_back(change);
    }
}

RoomState RoomModel::stateAt(std::int64_t ms) const {
    RoomState state{};
    for (int at = 0; at < kRoomLocations; ++at) {
        const Level colour = channels[lightColour][at].at(ms);
        const double brightness = channels[lightBrightness][at].at(ms)[0];
        for (int i = 0; i < 3; ++i) state.light[at][i] = static_cast<float>(colour[i] * brightness);
        state.fan[at] = static_cast<float>(channels[fanLevel][at].at(ms)[0]);
        state.rumble[at] = static_cast<float>(channels[rumbleLevel][at].at(ms)[0]);
    }
    return state;
}

std::vector<RoomState> sampleRoom(const std::vector<ScriptAt>& scripts, std::int64_t untilMs,
                                  std::int64_t stepMs) {
    std::vector<RoomState> samples;
    if (stepMs <= 0) return samples;
    RoomModel room;
    std::size_t next = 0;
    for (std::int64_t ms = 0; ms <= untilMs; ms += stepMs) {
        for (; next < scripts.size() && scripts[next].atMs <= ms; ++next)
            room.play(scripts[next].script, scripts[next].atMs);
        samples.push_back(room.stateAt(ms));
    }
    return samples;
}
