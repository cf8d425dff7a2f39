#include "lights_packets.h"

#include <algorithm>
#include <cmath>

namespace {
std::uint8_t slotOf(float level) {
    return static_cast<std::uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, level)) * 255.0f));
}

void put16(std::vector<std::uint8_t>& packet, std::size_t at, unsigned value) {
    packet[at] = static_cast<std::uint8_t>(value >> 8);
    packet[at + 1] = static_cast<std::uint8_t>(value);
}

void put32(std::vector<std::uint8_t>& packet, std::size_t at, std::uint32_t value) {
    put16(packet, at, value >> 16);
    put16(packet, at + 2, value & 0xFFFF);
}

// 64-bit FNV-1a from a given start.
std::uint64_t fnv1a(const std::string& text, std::uint64_t hash) {
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return hash;
}
}  // namespace

DmxFrame dmxFrame(const LightsConfig& config, const RoomState& room) {
    DmxFrame frame{};
    for (int at = 0; at < kRoomLocations; ++at) {
        const LightsConfig::Light& light = config.light[at];
        for (int pixel = 0; pixel < light.pixels; ++pixel)
            for (int c = 0; c < 3; ++c) frame[static_cast<std::size_t>(light.first - 1 + 3 * pixel + c)] = slotOf(room.light[at][c]);
        if (config.fan[at]) frame[static_cast<std::size_t>(config.fan[at] - 1)] = slotOf(room.fan[at]);
        if (config.rumble[at]) frame[static_cast<std::size_t>(config.rumble[at] - 1)] = slotOf(room.rumble[at]);
    }
    return frame;
}

std::array<std::uint8_t, 16> stableCid(const std::string& seed) {
    const std::uint64_t halves[2] = {fnv1a("zovi room lights " + seed, 0xCBF29CE484222325ull),
                                     fnv1a(seed + " zovi room lights", 0x84222325CBF29CE4ull)};
    std::array<std::uint8_t, 16> cid{};
    for (int i = 0; i < 16; ++i) cid[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(halves[i / 8] >> (8 * (7 - i % 8)));
    cid[6] = static_cast<std::uint8_t>(0x80 | (cid[6] & 0x0F));  // version 8: custom
    cid[8] = static_cast<std::uint8_t>(0x80 | (cid[8] & 0x3F));  // variant 10
    return cid;
}

// ANSI E1.31: a root layer, a framing layer and a DMP layer, each opening with its flags (0x7) and
// its length from there to the packet's end.
std::vector<std::uint8_t> e131DataPacket(const E131Source& source, std::uint8_t priority,
                                         std::uint8_t sequence, std::uint8_t options,
                                         std::uint16_t universe, const DmxFrame& frame) {
    std::vector<std::uint8_t> packet(kE131PacketBytes, 0);
    const unsigned size = static_cast<unsigned>(kE131PacketBytes);
    put16(packet, 0, 0x0010);  // preamble size; the post-amble size stays 0
    static const char identifier[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
    std::copy(identifier, identifier + 12, packet.begin() + 4);
    put16(packet, 16, 0x7000 | (size - 16));
    put32(packet, 18, 0x00000004);  // VECTOR_ROOT_E131_DATA
    std::copy(source.cid.begin(), source.cid.end(), packet.begin() + 22);

    put16(packet, 38, 0x7000 | (size - 38));
    put32(packet, 40, 0x00000002);  // VECTOR_E131_DATA_PACKET
    std::size_t nameBytes = std::min<std::size_t>(source.name.size(), 63);
    while (nameBytes > 0 && nameBytes < source.name.size() &&
           (static_cast<unsigned char>(source.name[nameBytes]) & 0xC0) == 0x80)
        --nameBytes;  // never half a character
    std::copy(source.name.begin(), source.name.begin() + static_cast<std::ptrdiff_t>(nameBytes), packet.begin() + 44);
    packet[108] = priority;
    // 109-110: no synchronisation universe.
    packet[111] = sequence;
    packet[112] = options;
    put16(packet, 113, universe);

    put16(packet, 115, 0x7000 | (size - 115));
    packet[117] = 0x02;     // VECTOR_DMP_SET_PROPERTY
    packet[118] = 0xA1;     // address and data type
    put16(packet, 121, 1);  // first address 0, increment 1
    put16(packet, 123, 1 + kDmxSlots);
    // 125: the null start code, then the slots.
    std::copy(frame.begin(), frame.end(), packet.begin() + 126);
    return packet;
}

std::vector<std::uint8_t> artDmxPacket(std::uint8_t sequence, std::uint16_t portAddress, const DmxFrame& frame) {
    std::vector<std::uint8_t> packet(kArtDmxPacketBytes, 0);
    static const char identifier[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
    std::copy(identifier, identifier + 8, packet.begin());
    packet[8] = 0x00;  // OpDmx 0x5000, low byte first
    packet[9] = 0x50;
    packet[11] = 14;  // protocol revision 14, high byte first
    packet[12] = sequence;
    // 13: the physical input port, 0.
    packet[14] = static_cast<std::uint8_t>(portAddress & 0xFF);  // SubUni: Sub-Net and Universe
    packet[15] = static_cast<std::uint8_t>(portAddress >> 8 & 0x7F);  // Net
    put16(packet, 16, kDmxSlots);  // length, high byte first
    std::copy(frame.begin(), frame.end(), packet.begin() + 18);
    return packet;
}

bool SendSchedule::due(const DmxFrame& frame, std::int64_t nowMs) {
    if (sentSame == 0 || frame != last) {
        last = frame;
        sentSame = 0;
    } else if (sentSame >= 3 && nowMs - lastSentMs < kKeepAliveMs) {
        return false;
    }
    ++sentSame;
    lastSentMs = nowMs;
    return true;
}
