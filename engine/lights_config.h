#pragma once
// The room's real lights: the configuration a person writes ("Zovi Room.txt", docs/real-lights.md),
// `key = value` a line. Pure code, so every key and every mistake is tested natively.
#include <cstddef>
#include <cstdint>
#include <string>

#include "room_model.h"

enum class LightsProtocol { e131, artnet };

constexpr std::uint16_t kE131Port = 5568;
constexpr std::uint16_t kArtNetPort = 6454;
constexpr int kDmxSlots = 512;
constexpr int kMostFramesPerSecond = 44;  // DMX512 itself refreshes 512 slots at most about 44 times a second

struct LightsConfig {
    LightsProtocol protocol = LightsProtocol::e131;
    std::uint32_t target = 0;  // IPv4 address, first octet in the top byte; 0 when multicast
    bool multicast = false;    // E1.31 only: to the universe's group instead of a target
    std::uint16_t port = 0;    // 0: the protocol's own
    std::uint16_t universe = 1;  // E1.31 1-63999; Art-Net's 15-bit Port-Address 0-32767
    std::uint8_t priority = 100;  // E1.31 only
    int rate = 40;                // frames a second
    // Per location, in the room model's order; channels count from 1, 0 is none.
    struct Light {
        int first = 0;   // the first channel of its first pixel
        int pixels = 0;  // red, green, blue channels each, all showing the location's light
    } light[kRoomLocations];
    int fan[kRoomLocations] = {};
    int rumble[kRoomLocations] = {};
};

struct LightsConfigReading {
    bool ok = false;
    int errorLine = 0;  // the line at fault; 0 when the fault is the file's as a whole
    std::string error;
    LightsConfig config;
};

LightsConfigReading readLightsConfig(const char* text, std::size_t length);

// Where the frames go: the target, or for multicast the universe's group 239.255.UH.UL.
std::uint32_t lightsDestination(const LightsConfig& config);
std::uint16_t lightsPort(const LightsConfig& config);
std::string ipv4Text(std::uint32_t address);
