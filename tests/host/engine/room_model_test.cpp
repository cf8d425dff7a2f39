#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "effects/effect_scripts.h"
#include "room_model.h"

namespace {
constexpr int kNorth = 1, kCentre = 4, kEast = 5, kWest = 3;

ParsedScript parse(const std::string& events) {
    const std::string text = "zovi-effects 1\n" + events;
    return parseEffectsScript(text.data(), text.size());
}

// The light's red, green and blue and the fan and rumble levels at one location, as percentages.
std::vector<double> at(const RoomState& room, int location) {
    std::vector<double> seen;
    for (float value : {room.light[location][0], room.light[location][1], room.light[location][2],
                        room.fan[location], room.rumble[location]})
        seen.push_back(value * 100.0);
    return seen;
}

void expectNear(const std::vector<double>& seen, const std::vector<double>& expected, const char* what) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(seen[i], expected[i], 0.01) << what << " [" << i << "]";
}

// One of the saver's scripts in a colour.
ParsedScript saverScript(const char* name, const char* colour) {
    std::ifstream file(std::string(ZOVI_SOURCE_DIR) + "/src/effects/scripts/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const std::string script = substituteColour(text.str(), colour);
    return parseEffectsScript(script.data(), script.size());
}
}  // namespace

// Two scripts, the second one arriving 500 ms after the first, seen at one moment and location.
TEST(RoomModel, MovesEachDeviceAsItsScriptsSay) {
    struct Case {
        const char* what;
        const char* first;
        const char* second;
        std::int64_t ms;
        int location;
        std::vector<double> expected;  // light red, green, blue, fan, rumble
    };
    const Case cases[] = {
        {"before any script", "", "", 100, kCentre, {0, 0, 0, 0, 0}},
        {"at once, at its location only", "at 0ms fan east level 40%", "", 0, kEast, {0, 0, 0, 40, 0}},
        {"other locations stay", "at 0ms fan east level 40%", "", 0, kWest, {0, 0, 0, 0, 0}},
        {"a ramp has not begun", "at 100ms fan east level 100% over 200ms", "", 100, kEast, {0, 0, 0, 0, 0}},
        {"halfway along a ramp", "at 100ms fan east level 100% over 200ms", "", 200, kEast, {0, 0, 0, 50, 0}},
        {"a device stays where it was left", "at 0ms rumble east level 30% over 10ms", "", 99000, kEast,
         {0, 0, 0, 0, 30}},
        {"colour times brightness", "at 0ms light everywhere colour 60 40 20\nat 0ms light north brightness 50%",
         "", 0, kNorth, {30, 20, 10, 0, 0}},
        {"everywhere reaches every location", "at 0ms light everywhere colour white", "", 0, kWest,
         {100, 100, 100, 0, 0}},
        {"a colour ramps channel by channel", "at 0ms light centre colour 100 0 40 over 100ms", "", 50, kCentre,
         {50, 0, 20, 0, 0}},
        {"same time: the later starts where the earlier left it",
         "at 0ms light east colour white\nat 0ms light east brightness 0%\n"
         "at 0ms light east brightness 100% over 400ms",
         "", 100, kEast, {25, 25, 25, 0, 0}},
        {"a later event takes over a ramp where it has got to",
         "at 0ms fan east level 100% over 200ms\nat 100ms fan east level 0% over 100ms", "", 150, kEast,
         {0, 0, 0, 25, 0}},
        {"a new script drops what earlier ones still had to come for its kinds",
         "at 0ms fan east level 100%\nat 1s fan east level 0%", "at 0ms fan west level 50%", 2000, kEast,
         {0, 0, 0, 100, 0}},
        {"kinds a new script does not name go on", "at 0ms fan east level 100%\nat 1s fan east level 0%",
         "at 0ms rumble west level 50%", 2000, kEast, {0, 0, 0, 0, 0}},
        {"a ramp under way goes on until the new script moves that device",
         "at 0ms fan east level 100% over 1s", "at 0ms fan west level 50%", 1000, kEast, {0, 0, 0, 100, 0}},
        {"the new script takes a ramp over where it has got to", "at 0ms fan east level 100% over 1s",
         "at 0ms fan east level 0% over 500ms", 750, kEast, {0, 0, 0, 25, 0}},
        {"a script that does not parse moves nothing", "at 0ms fan east level 100%",
         "at 0ms fan east level 1000%", 600, kEast, {0, 0, 0, 100, 0}},
    };
    for (const Case& c : cases) {
        RoomModel room;
        if (*c.first) room.play(parse(c.first), 0);
        if (*c.second) room.play(parse(c.second), 500);
        expectNear(at(room.stateAt(c.ms), c.location), c.expected, c.what);
    }
}

// The saver's light scripts, a sweep every 2.4 s: seen at moments of the second sweep.
TEST(RoomModel, TheSaversLightScriptsFollowOneAnother) {
    struct Case {
        const char* script;
        std::int64_t ms;
        std::vector<double> expected;  // light red, green, blue at every location
    };
    const Case cases[] = {
        {"light_fade_to_black.txt", 2399, {0, 0, 0}},          // dark before the sweep
        {"light_fade_to_black.txt", 2600, {15, 40, 20}},       // halfway up to the new colour
        {"light_fade_to_black.txt", 3000, {30, 80, 40}},       // full while the spot runs
        {"light_fade_to_background.txt", 2399, {9, 3, 6}},     // the ambient glow
        {"light_fade_to_background.txt", 2600, {25.875, 28.75, 23}},  // blends from it
    };
    for (const Case& c : cases) {
        const std::vector<ScriptAt> sweeps{{0, saverScript(c.script, "60 20 40")},
                                           {2400, saverScript(c.script, "30 80 40")}};
        const std::vector<RoomState> samples = sampleRoom(sweeps, 4000, 1);
        ASSERT_EQ(samples.size(), 4001u);
        for (int location = 0; location < kRoomLocations; ++location)
            expectNear(at(samples[static_cast<std::size_t>(c.ms)], location), c.expected, c.script);
    }
}
