#include <gtest/gtest.h>

#include "effects/effect_scripts.h"
#include "room_model.h"
#include "support/test_support.h"

namespace {
constexpr int kNorth = 1, kWest = 3, kCentre = 4, kEast = 5;

ParsedScript parse(const std::string& text) { return parseEffectsScript(text.data(), text.size()); }

// The light's red, green and blue and the fan and rumble levels at one location, as percentages.
void expectAt(const RoomState& room, int at, const std::vector<double>& expected, const char* what) {
    const float seen[] = {room.light[at][0], room.light[at][1], room.light[at][2], room.fan[at], room.rumble[at]};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(seen[i] * 100.0, expected[i], 0.01) << what << " " << i;
}
}  // namespace

// Two scripts, the second one arriving 500 ms after the first, seen at one moment and location.
TEST(RoomModel, MovesEachDeviceAsItsScriptsSay) {
    const struct { const char *what, *first, *second; std::int64_t ms; int at; std::vector<double> expected; } cases[] = {
        {"at once, at its location only", "at 0ms fan east level 40%", "", 0, kEast, {0, 0, 0, 40, 0}},
        {"other locations stay", "at 0ms fan east level 40%", "", 0, kWest, {0, 0, 0, 0, 0}},
        {"halfway along a ramp", "at 100ms fan east level 100% over 200ms", "", 200, kEast, {0, 0, 0, 50, 0}},
        {"a device stays where it was left", "at 0ms rumble east level 30%", "", 9000, kEast, {0, 0, 0, 0, 30}},
        {"colour times brightness", "at 0ms light everywhere colour 60 40 20\nat 0ms light north brightness 50%", "",
         0, kNorth, {30, 20, 10}},
        {"everywhere reaches every location", "at 0ms light everywhere colour white", "", 0, kWest, {100, 100}},
        {"a colour ramps channel by channel", "at 0ms light centre colour 100 0 40 over 100ms", "", 50, kCentre,
         {50, 0, 20}},
        {"same time: the later starts where the earlier left it", "at 0ms light east colour white\n"
         "at 0ms light east brightness 0%\nat 0ms light east brightness 100% over 400ms", "", 100, kEast, {25, 25, 25}},
        {"a later event takes over a ramp where it has got to",
         "at 0ms fan east level 100% over 200ms\nat 100ms fan east level 0% over 100ms", "", 150, kEast, {0, 0, 0, 25}},
        {"a new script drops what earlier ones still had to come for its kinds",
         "at 0ms fan east level 100%\nat 1s fan east level 0%", "at 0ms fan west level 50%", 2000, kEast, {0, 0, 0, 100}},
        {"a light script takes over colour and brightness", "at 0ms light east colour white\n"
         "at 1s light east colour black", "at 0ms light east brightness 50%", 2000, kEast, {50, 50, 50}},
        {"kinds a new script does not name go on", "at 0ms fan east level 100%\nat 1s fan east level 0%",
         "at 0ms rumble west level 50%", 2000, kEast, {0, 0, 0, 0}},
        {"a ramp under way goes on until the new script moves that device", "at 0ms fan east level 100% over 1s",
         "at 0ms fan west level 50%", 1000, kEast, {0, 0, 0, 100}},
        {"the new script takes a ramp over where it has got to", "at 0ms fan east level 100% over 1s",
         "at 0ms fan east level 0% over 500ms", 750, kEast, {0, 0, 0, 25}},
    };
    for (const auto& c : cases) {
        RoomModel room;
        room.play(parse(std::string("zovi-effects 1\n") + c.first), 0);
        if (*c.second) room.play(parse(std::string("zovi-effects 1\n") + c.second), 500);
        expectAt(room.stateAt(c.ms), c.at, c.expected, c.what);
    }
}

// The saver's fade to background, a sweep every 2.4 s: each sweep takes up the glow the last one left.
TEST(RoomModel, TheSaversFadeToBackgroundBlendsFromOneSweepIntoTheNext) {
    const std::string script = repositoryScript("light_fade_to_background.txt");
    auto sweep = [&script](const char* colour) { return parse(substituteColour(script, colour)); };
    const std::vector<RoomState> samples = sampleRoom({{0, sweep("60 20 40")}, {2400, sweep("30 80 40")}}, 4000, 100);
    ASSERT_EQ(samples.size(), 41u);
    for (int location = 0; location < kRoomLocations; ++location) {
        expectAt(samples[23], location, {9, 3, 6}, "the glow at 15% before the next sweep");
        expectAt(samples[26], location, {25.875, 28.75, 23}, "halfway from it to the next colour at full");
    }
}
