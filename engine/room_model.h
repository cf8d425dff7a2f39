#pragma once
// What the room does with the scripts the engine takes (docs/effects-language.md): one light, one
// fan and one rumble device at each of the nine locations, each moving as the scripts say. Pure
// code, so the engine can drive real devices from it and tools/room can draw a run's journal.
#include <array>
#include <cstdint>
#include <vector>

#include "script_language.h"

constexpr int kRoomLocations = 9;

// The locations as the room is seen from the middle, row by row from the north-west.
extern const char* const kRoomLocationNames[kRoomLocations];

// Every device at one moment, each value from 0 to 1.
struct RoomState {
    float light[kRoomLocations][3];  // red, green, blue that the light gives: colour times brightness
    float fan[kRoomLocations];
    float rumble[kRoomLocations];
};

class RoomModel {
public:
    RoomModel();
    // A script the engine took, starting at startMs (milliseconds on any monotonic scale; a start
    // earlier than the one before counts as that one). It takes over the device kinds it names.
    void play(const ParsedScript& script, std::int64_t startMs);
    // Where every device is at ms, for any moment from the last start on.
    RoomState stateAt(std::int64_t ms) const;

private:
    using Level = std::array<double, 3>;  // a colour's red, green and blue, or a level in [0]
    struct Change {
        std::int64_t atMs;
        std::int64_t overMs;
        Level to;
    };
    // One thing a device can be told, at one location: the change in force and those to come.
    struct Channel {
        Level from;
        Change now;
        std::vector<Change> toCome;
        Level at(std::int64_t ms) const;
        void settle(std::int64_t ms);  // makes the change in force the one of moment ms
    };
    enum { lightColour, lightBrightness, fanLevel, rumbleLevel, kChannels };
    Channel channels[kChannels][kRoomLocations];
    std::int64_t lastStartMs;
};

struct ScriptAt {
    std::int64_t atMs;
    ParsedScript script;
};

// The room every stepMs from 0 through untilMs, each script played at its time (scripts in the
// order they arrived).
std::vector<RoomState> sampleRoom(const std::vector<ScriptAt>& scripts, std::int64_t untilMs,
                                  std::int64_t stepMs);
