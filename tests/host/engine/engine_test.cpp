#include <gtest/gtest.h>

#include <tuple>

#include "effects/effect_scripts.h"
#include "lights_packets.h"
#include "support/test_support.h"

namespace {
constexpr int kNorth = 1, kWest = 3, kCentre = 4, kEast = 5;

ParsedScript parse(const std::string& text) { return parseEffectsScript(text.data(), text.size()); }
LightsConfigReading read(const std::string& text) { return readLightsConfig(text.data(), text.size()); }

// The line and reason a script or a lights configuration is refused with.
std::string refusal(const std::string& text) {
    const ParsedScript script = parse(text);
    return script.parsed ? "parsed" : std::to_string(script.errorLine) + ": " + script.error;
}
std::string configRefusal(const std::string& text) {
    const LightsConfigReading reading = read(text);
    return reading.ok ? "read" : std::to_string(reading.errorLine) + ": " + reading.error;
}

// The light's red, green and blue and the fan and rumble levels at one location, as percentages.
void expectAt(const RoomState& room, int at, const std::vector<double>& expected, const char* what) {
    const float seen[] = {room.light[at][0], room.light[at][1], room.light[at][2], room.fan[at], room.rumble[at]};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(seen[i] * 100.0, expected[i], 0.01) << what << " " << i;
}

struct Field { std::size_t offset; std::vector<std::uint8_t> bytes; };
void expectFields(const std::vector<std::uint8_t>& packet, const std::vector<Field>& fields) {
    for (const Field& field : fields)
        for (std::size_t i = 0; i < field.bytes.size(); ++i)
            EXPECT_EQ(packet.at(field.offset + i), field.bytes[i]) << "offset " << field.offset + i;
}

// A frame with its first slot as given and its last one marked.
DmxFrame frameOf(std::uint8_t first, DmxFrame frame = {}) { return frame[0] = first, frame[511] = 0xEE, frame; }
}  // namespace

TEST(EffectsLanguage, ReadsEventsWithTheirTimesDevicesAndValuesAndTheSaversScripts) {
    const ParsedScript script = parse(
        "# comments and blank lines may come first\r\n\r\n"
        "zovi-effects 1\r\n"
        "at 0ms light north-east colour 69 20 50\r\n"
        "\tat 1.5s  light centre brightness 15% over 0.25s\n"
        "at 2s fan everywhere level 100% over 250ms\n"
        "at 2s rumble south-west level 0%");
    ASSERT_EQ(script.events.size(), 4u) << script.error;
    const EffectEvent& e = script.events[1];
    EXPECT_EQ(std::make_tuple(e.atMs, e.overMs, e.percent, e.line), std::make_tuple(1500u, 250u, 15, 5));
    EXPECT_EQ(scriptSummaryJson(script),
              "{\"events\":4,\"durationMs\":2250,\"devices\":[\"light\",\"fan\",\"rumble\"],"
              "\"locations\":[\"north-east\",\"centre\",\"everywhere\",\"south-west\"],"
              "\"colours\":[\"69 20 50\"]}");
    // The saver's own scripts, coloured as sent; without its colour a light script is refused where the token stands.
    for (const char* name : {"light_fade_to_black.txt", "light_fade_to_background.txt", "fan.txt", "rumble.txt"})
        EXPECT_EQ(refusal(substituteColour(repositoryScript(name), "69 20 50")), "parsed") << name;
    for (const char* name : {"light_fade_to_black.txt", "light_fade_to_background.txt"})
        EXPECT_NE(refusal(repositoryScript(name)).find("a colour is"), std::string::npos) << name;
}

TEST(EffectsLanguage, RefusesWithTheLineAndTheReasonAndReadsTimesUpToTenMinutes) {
    const std::string head = "zovi-effects 1\n";
    const std::string colour = "2: a colour is black, white or three whole percentages: red green blue";
    const struct { std::string text, refusal; } cases[] = {
        {"", "1: the first line must be \"zovi-effects 1\""},
        {"zovi-effects 2\nat 0ms fan east level 1%", "1: the first line must be \"zovi-effects 1\""},
        {head + "# nothing yet\n", "2: a script needs at least one event"},
        {head + "at 0ms lamp east level 5%", "2: \"lamp\" is not a device (light, fan, rumble)"},
        {head + "at 0ms light up colour black", "2: \"up\" is not a location"},
        {head + "at 0ms fan east colour black", "2: a fan takes \"level\", not \"colour\""},
        {head + "at 0ms light east level 5%", "2: a light takes \"colour\" or \"brightness\", not \"level\""},
        {head + "at 0ms fan east level 101%", "2: a level is a percentage, 0% to 100%"},
        {head + "at 0ms light east colour 10 20", colour}, {head + "at 0ms light east colour 10 20 300", colour},
        {head + "at 0ms fan east level 5% soon", "2: after the value only \"over DURATION\" may follow"},
        {head + "at 1s fan east level 5%\nat 999ms fan east level 0%", "3: events must come in time order"},
        {head + "at 0ms fan east level 5%\n\x01", "3: unexpected byte 0x01"},
        {head + "at 0ms fan east level 5%\xe9", "2: unexpected byte 0xE9"},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.text), c.refusal) << c.text;
    for (const char* good : {"0ms", "250ms", "2s", "1.5s", "0.125s", "600s", "600000ms"})
        EXPECT_EQ(refusal(head + "at " + good + " fan east level 5%"), "parsed") << good;
    for (const char* bad : {"ms", "s", "1.2345s", "600001ms", "601s", "1m", "-1ms", "1.s", ".5s", "9999999ms"})
        EXPECT_EQ(refusal(head + "at " + bad + " fan east level 5%").substr(0, 3), "2: ") << bad;
}

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

TEST(RealLights, ReadsEveryKey) {
    const LightsConfigReading full = read(
        "\xEF\xBB\xBF# the strip over the desk\r\nprotocol = e131\r\n  target=192.168.1.50  # the controller\r\n"
        "port = 5600\nuniverse = 63999\npriority = 200\nrate = 44\nmulticast = no\n"
        "light  north-west = 1 170\nfan centre = 511\nrumble south-east = 512\n");
    ASSERT_TRUE(full.ok) << full.errorLine << ": " << full.error;
    // Where to, universe, priority, rate; the first light's first channel and pixels, a fan, a rumble.
    auto summary = [](const LightsConfig& c) {
        return ipv4Text(lightsDestination(c)) + ":" + std::to_string(lightsPort(c)) + " " +
               std::to_string(c.universe) + " " + std::to_string(c.priority) + " " + std::to_string(c.rate) + " " +
               std::to_string(c.light[0].first) + "x" + std::to_string(c.light[0].pixels) + " " +
               std::to_string(c.fan[4]) + " " + std::to_string(c.rumble[8]);
    };
    EXPECT_EQ(summary(full.config), "192.168.1.50:5600 63999 200 44 1x170 511 512");
    EXPECT_EQ(summary(read("multicast = yes\nuniverse = 258\nfan centre = 1").config), "239.255.1.2:5568 258 100 40 0x0 1 0");
    EXPECT_EQ(summary(read("protocol = artnet\ntarget = 2.0.0.9\nfan centre = 1").config), "2.0.0.9:6454 0 100 40 0x0 1 0");
}

TEST(RealLights, RefusesAMalformedFileNamingTheLine) {
    const std::string ok = "target = 10.0.0.5\nfan centre = 500\n";
    const std::string notIpv4 = "1: the target is an IPv4 address such as 192.168.1.50 (names are not looked up)";
    const std::string notPlace = "\" is not a location (centre, north, north-east, ...)";
    const struct { std::string text, refusal; } cases[] = {
        {"rate 40", "1: expected KEY = VALUE"}, {"# a note\n= 5", "2: a value without a key"},
        {"rate = 40\nrate = 30", "2: \"rate\" was given on line 1 already"}, {"rate =", "1: \"rate\" has no value"},
        {"rate = 40 50", "1: \"rate\" takes one value"}, {"lamp centre = 1", "1: unknown key \"lamp centre\""},
        {"light centre = 1", "1: a light takes two numbers: its first channel and its pixels"},
        {"protocol = dmx", "1: the protocol is e131 or artnet"}, {"multicast = maybe", "1: multicast is yes or no"},
        {"target = 10.0.01.5", notIpv4}, {"target = 0.1.2.3", "1: 0.1.2.3 is not an address a receiver can have"},
        {"target = 192.168.1.255", "1: 192.168.1.255 is a broadcast address: the output never broadcasts"},
        {"target = 239.255.0.1", "1: 239.255.0.1 is a multicast group: for E1.31's group write multicast = yes instead"},
        {"port = 0", "1: a port is a number from 1 to 65535"}, {"light centre = 0 1", "1: a channel is a number from 1 to 512"},
        {"universe = 64000", "1: a universe is a number: 1 to 63999 for E1.31, 0 to 32767 for Art-Net"},
        {"priority = 201", "1: a priority is a number from 0 to 200"}, {"light everywhere = 1 1", "1: \"everywhere" + notPlace},
        {"rate = 45", "1: the rate is a whole number of frames a second, 1 to 44"},
        {"light centre = 509 2", "1: the light's pixels, three channels each, must end by channel 512"},
        {"light north = 1 3\nfan centre = 9", "2: channel 9 overlaps those of line 1"},
        {"fan centre = 9\n\nlight north = 7 1", "3: channels 7-9 overlap those of line 1"},
        {std::string("rate = 4\0", 9) + ok, "1: unexpected byte 0x00"},
        {"protocol = artnet\nuniverse = 32768\n" + ok, "2: an Art-Net universe (Port-Address) is 0 to 32767"},
        {"universe = 0\n" + ok, "1: an E1.31 universe is 1 to 63999"},
        {ok + "priority = 9\nprotocol = artnet", "3: priority is E1.31's: Art-Net has none"},
        {"protocol = artnet\nmulticast = no\n" + ok, "2: multicast is E1.31's: Art-Net has none"},
        {ok + "multicast = yes", "1: with multicast = yes the frames go to the universe's group, not a target"},
        {"fan centre = 1", "0: no target: name the receiver's address (target = 192.168.1.50)"},
        {"target = 10.0.0.5\n# nothing else", "0: no light, fan or rumble is given a channel"},
    };
    for (const auto& c : cases) EXPECT_EQ(configRefusal(c.text), c.refusal) << c.text;
}

TEST(RealLights, MapsTheRoomOntoSlots) {
    const LightsConfig config = read("target = 10.0.0.5\nlight north = 10 2\nfan east = 1\nrumble centre = 512").config;
    RoomState room{{{1.0f}, {1.0f, 0.5f, 0.69f}}, {}, {}};  // north-west has no light to show it
    room.fan[5] = 0.2f;
    room.rumble[4] = 1.5f;  // beyond the range: held at full
    DmxFrame expected{51};
    for (std::size_t at : {9u, 12u}) expected[at] = 255, expected[at + 1] = 128, expected[at + 2] = 176;  // north's pixels
    expected[511] = 255;
    EXPECT_EQ(dmxFrame(config, room), expected);
}

// ANSI E1.31-2016 section 4, an E1.31 data packet's fields by octet; then an ArtDmx packet's.
TEST(RealLights, BuildsE131AndArtDmxPackets) {
    const E131Source source{stableCid("DESK"), std::string(62, 'n') + "\xC3\xA9"};
    const std::vector<std::uint8_t> packet = e131DataPacket(source, 150, 201, kE131StreamTerminated, 0x1234, frameOf(9));
    ASSERT_EQ(packet.size(), 638u);
    std::vector<std::uint8_t> name(62, 'n');
    name.insert(name.end(), {0, 0});  // 63 bytes at most, never half a character, and a 0 at 107
    expectFields(packet, {{0, {0x00, 0x10, 0x00, 0x00}},  // preamble and post-amble sizes
                          {4, {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0}},
                          {16, {0x72, 0x6E, 0, 0, 0, 4}},  // root flags and length 622, VECTOR_ROOT_E131_DATA
                          {22, {source.cid.begin(), source.cid.end()}},
                          {38, {0x72, 0x58, 0, 0, 0, 2}},  // framing flags and length 600, VECTOR_E131_DATA_PACKET
                          {44, name},
                          // priority, synchronisation address, sequence, options (terminated), universe
                          {108, {150, 0, 0, 201, 0x40, 0x12, 0x34}},
                          // DMP flags and length 523, VECTOR_DMP_SET_PROPERTY, address and data type,
                          // first address 0, increment 1, 513 values: the start code and 512 slots
                          {115, {0x72, 0x0B, 0x02, 0xA1, 0, 0, 0, 1, 0x02, 0x01}},
                          {125, {0x00, 9}},  // start code, slot 1
                          {637, {0xEE}}});   // slot 512
    EXPECT_EQ(stableCid("DESK"), source.cid);
    EXPECT_NE(stableCid("HALL"), source.cid);
    EXPECT_EQ(source.cid[6] >> 4, 8);      // UUID version 8
    EXPECT_EQ(source.cid[8] & 0xC0, 0x80);  // variant 10

    // Art-Net 4, ArtDmx: OpDmx low byte first, revision 14 high byte first, sequence, physical port,
    // SubUni, Net, length 512.
    const std::vector<std::uint8_t> artDmx = artDmxPacket(17, 0x7A5C, frameOf(9));
    ASSERT_EQ(artDmx.size(), 530u);
    expectFields(artDmx, {{0, {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x50, 0, 14, 17, 0, 0x5C, 0x7A, 0x02, 0x00}},
                          {18, {9}}, {529, {0xEE}}});
}

TEST(RealLights, SendsEachChangeThenThreeRepeatsThenAKeepAlive) {
    SendSchedule schedule;
    const struct { std::int64_t ms; std::uint8_t frame; bool due; } steps[] = {
        {0, 0, true},   {25, 0, true},    {50, 0, true},    {75, 0, false},   {949, 0, false},  {950, 0, true},
        {975, 0, false}, {1849, 0, false}, {1850, 0, true},  {1875, 7, true},  {1900, 7, true},  {1925, 0, true},
        {1950, 0, true}, {1975, 0, true},  {2000, 0, false}};
    for (const auto& step : steps) EXPECT_EQ(schedule.due(frameOf(step.frame), step.ms), step.due) << step.ms;
}
