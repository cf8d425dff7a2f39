#pragma once
// The room's real lights on the wire: the room's state as one universe of 512 DMX slots, the E1.31
// (sACN) and Art-Net ArtDmx packets that carry it, and when a frame is worth sending. Pure code.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lights_config.h"

using DmxFrame = std::array<std::uint8_t, kDmxSlots>;

// Each light's pixels show its red, green and blue; each fan and rumble device its level; slots no
// device is given stay 0. Levels from 0 to 1 become 0 to 255.
DmxFrame dmxFrame(const LightsConfig& config, const RoomState& room);

constexpr std::uint8_t kE131StreamTerminated = 0x40;  // the framing layer's Options bit 6
constexpr std::size_t kE131PacketBytes = 638;          // with a start code and all 512 slots
constexpr std::size_t kArtDmxPacketBytes = 18 + kDmxSlots;

struct E131Source {
    std::array<std::uint8_t, 16> cid;  // the same for every run on one computer
    std::string name;                  // UTF-8, cut to 63 bytes at a character's edge
};

// A source identifier that stays the same for the same seed (the computer's name): an RFC 9562
// version 8 UUID, so receivers keep recognising this computer's saver as one source.
std::array<std::uint8_t, 16> stableCid(const std::string& seed);

std::vector<std::uint8_t> e131DataPacket(const E131Source& source, std::uint8_t priority,
                                         std::uint8_t sequence, std::uint8_t options,
                                         std::uint16_t universe, const DmxFrame& frame);
// sequence 1-255 (0 tells the node not to reorder); portAddress is Net, Sub-Net and Universe.
std::vector<std::uint8_t> artDmxPacket(std::uint8_t sequence, std::uint16_t portAddress, const DmxFrame& frame);

// Which frames go out. Every change does. A frame that stays the same is sent three times in all
// and then once every keep-alive interval, so receivers keep the source without a flood of copies
// (E1.31 asks for three repeats and a packet every 800 to 1000 ms).
class SendSchedule {
public:
    static constexpr std::int64_t kKeepAliveMs = 900;
    bool due(const DmxFrame& frame, std::int64_t nowMs);

private:
    DmxFrame last{};
    int sentSame = 0;  // 0 before the first frame
    std::int64_t lastSentMs = 0;
};
