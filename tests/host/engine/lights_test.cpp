#include <gtest/gtest.h>

#include "lights_packets.h"

namespace {
LightsConfigReading read(const std::string& text) { return readLightsConfig(text.data(), text.size()); }

std::string refusal(const std::string& text) {
    const LightsConfigReading reading = read(text);
    return reading.ok ? "read" : std::to_string(reading.errorLine) + ": " + reading.error;
}

struct Field { std::size_t offset; std::vector<std::uint8_t> bytes; };

void expectFields(const std::vector<std::uint8_t>& packet, const std::vector<Field>& fields) {
    for (const Field& field : fields)
        for (std::size_t i = 0; i < field.bytes.size(); ++i)
            EXPECT_EQ(packet.at(field.offset + i), field.bytes[i]) << "offset " << field.offset + i;
}

DmxFrame frameOf(std::uint8_t first) {
    DmxFrame frame{};
    frame[0] = first;
    frame[511] = 0xEE;
    return frame;
}
}  // namespace

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
    EXPECT_EQ(summary(read("target = 127.0.0.1\nfan centre = 1").config), "127.0.0.1:5568 1 100 40 0x0 1 0");
    const LightsConfig artnet = read("protocol = artnet\ntarget = 2.0.0.9\nfan centre = 1").config;
    EXPECT_EQ(artnet.protocol, LightsProtocol::artnet);
    EXPECT_EQ(summary(artnet), "2.0.0.9:6454 0 100 40 0x0 1 0");
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
        {"target = lights.local", notIpv4}, {"target = 10.0.01.5", notIpv4},
        {"target = 192.168.1.255", "1: 192.168.1.255 is a broadcast address: the output never broadcasts"},
        {"target = 239.255.0.1", "1: 239.255.0.1 is a multicast group: for E1.31's group write multicast = yes instead"},
        {"target = 0.1.2.3", "1: 0.1.2.3 is not an address a receiver can have"},
        {"port = 0", "1: a port is a number from 1 to 65535"},
        {"universe = 64000", "1: a universe is a number: 1 to 63999 for E1.31, 0 to 32767 for Art-Net"},
        {"priority = 201", "1: a priority is a number from 0 to 200"},
        {"rate = 45", "1: the rate is a whole number of frames a second, 1 to 44"},
        {"light kitchen = 1 1", "1: \"kitchen" + notPlace}, {"light everywhere = 1 1", "1: \"everywhere" + notPlace},
        {"light centre = 0 1", "1: a channel is a number from 1 to 512"},
        {"light centre = 509 2", "1: the light's pixels, three channels each, must end by channel 512"},
        {"light north = 1 3\nfan centre = 9", "2: channel 9 overlaps those of line 1"},
        {"fan centre = 9\n\nlight north = 7 1", "3: channels 7-9 overlap those of line 1"},
        {"light centre = 1 1\nrate = 4\xE9", "2: unexpected byte 0xE9"},
        {std::string("rate = 4\0", 9) + ok, "1: unexpected byte 0x00"},
        {"protocol = artnet\nuniverse = 32768\n" + ok, "2: an Art-Net universe (Port-Address) is 0 to 32767"},
        {"universe = 0\n" + ok, "1: an E1.31 universe is 1 to 63999"},
        {ok + "priority = 9\nprotocol = artnet", "3: priority is E1.31's: Art-Net has none"},
        {"protocol = artnet\nmulticast = no\n" + ok, "2: multicast is E1.31's: Art-Net has none"},
        {ok + "multicast = yes", "1: with multicast = yes the frames go to the universe's group, not a target"},
        {"fan centre = 1", "0: no target: name the receiver's address (target = 192.168.1.50)"},
        {"target = 10.0.0.5\n# nothing else", "0: no light, fan or rumble is given a channel"},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.text), c.refusal) << c.text;
}

TEST(RealLights, MapsTheRoomOntoSlots) {
    const LightsConfig config = read("target = 10.0.0.5\nlight north = 10 2\nfan east = 1\nrumble centre = 512").config;
    RoomState room{{{1.0f}, {1.0f, 0.5f, 0.69f}}, {}, {}};  // north-west has no light to show it
    room.fan[5] = 0.2f;
    room.rumble[4] = 1.5f;  // beyond the range: held at full
    DmxFrame expected{51};
    for (std::size_t at : {9u, 12u}) expected[at] = 255, expected[at + 1] = 128, expected[at + 2] = 176;  // both north pixels
    expected[511] = 255;
    EXPECT_EQ(dmxFrame(config, room), expected);
}

// ANSI E1.31-2016 section 4, an E1.31 data packet's fields by octet.
TEST(RealLights, BuildsE131DataPackets) {
    const E131Source source{stableCid("DESK"), std::string(62, 'n') + "\xC3\xA9"};
    const std::vector<std::uint8_t> packet = e131DataPacket(source, 150, 201, kE131StreamTerminated, 0x1234, frameOf(9));
    ASSERT_EQ(packet.size(), 638u);
    std::vector<std::uint8_t> name(62, 'n');
    name.insert(name.end(), {0, 0});  // 63 bytes at most, never half a character, and a 0 at 107
    const std::vector<std::uint8_t> cid(source.cid.begin(), source.cid.end());
    expectFields(packet, {{0, {0x00, 0x10, 0x00, 0x00}},  // preamble and post-amble sizes
                          {4, {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0}},
                          {16, {0x72, 0x6E, 0, 0, 0, 4}},  // root flags and length 622, VECTOR_ROOT_E131_DATA
                          {22, cid},
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
}

// Art-Net 4, ArtDmx.
TEST(RealLights, BuildsArtDmxPackets) {
    const std::vector<std::uint8_t> packet = artDmxPacket(17, 0x7A5C, frameOf(9));
    ASSERT_EQ(packet.size(), 530u);
    // OpDmx low byte first, revision 14 high byte first, sequence, physical port, SubUni, Net, length 512.
    expectFields(packet, {{0, {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x50, 0, 14, 17, 0, 0x5C, 0x7A, 0x02, 0x00}},
                          {18, {9}},
                          {529, {0xEE}}});
}

TEST(RealLights, SendsEachChangeThenThreeRepeatsThenAKeepAlive) {
    SendSchedule schedule;
    const struct {
        std::int64_t ms;
        std::uint8_t frame;
        bool due;
    } steps[] = {{0, 0, true},    {25, 0, true},    {50, 0, true},    {75, 0, false},   {949, 0, false},
                 {950, 0, true},  {975, 0, false},  {1849, 0, false}, {1850, 0, true},  {1875, 7, true},
                 {1900, 7, true}, {1925, 0, true},  {1950, 0, true},  {1975, 0, true},  {2000, 0, false}};
    for (const auto& step : steps) EXPECT_EQ(schedule.due(frameOf(step.frame), step.ms), step.due) << step.ms;
}
