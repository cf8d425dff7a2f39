#include "lights_config.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "text_lines.h"

namespace {
// Plain decimal, no sign, no leading zeros, from low to high.
bool readWhole(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high;
}

// A dotted-quad literal only: a name would need a look-up, which the engine never makes.
bool readIpv4(const std::string& text, std::uint32_t& address) {
    std::size_t start = 0;
    address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.', start) : text.size();
        int octet = 0;
        if (dot == std::string::npos || !readWhole(text.substr(start, dot - start), 0, 255, octet)) return false;
        address = address << 8 | static_cast<std::uint32_t>(octet);
        start = dot + 1;
    }
    return true;
}

// Why a target is no single receiver, or nothing. The output never broadcasts: besides these, the
// socket is never allowed to (no SO_BROADCAST), so the system refuses other broadcast addresses.
std::string targetFault(std::uint32_t address) {
    const std::uint32_t first = address >> 24;
    if (address == 0xFFFFFFFFu || (address & 0xFF) == 255) return "is a broadcast address: the output never broadcasts";
    if (first == 0 || first >= 240) return "is not an address a receiver can have";
    if (first >= 224) return "is a multicast group: for E1.31's group write multicast = yes instead";
    return std::string();
}

int locationIndex(const std::string& name) {
    for (int at = 0; at < kRoomLocations; ++at)
        if (name == kRoomLocationNames[at]) return at;
    return -1;
}

struct UsedChannels {
    int first, last, line;
};
}  // namespace

LightsConfigReading readLightsConfig(const char* text, std::size_t length) {
    LightsConfigReading reading;
    LightsConfig& config = reading.config;
    auto fail = [&reading](int line, const std::string& why) {
        reading.ok = false;
        reading.errorLine = line;
        reading.error = why;
        return reading;
    };
    std::map<std::string, int> seen;  // each key and the line that gave it
    std::vector<UsedChannels> used;
    bool universeGiven = false;

    // Notepad's byte-order mark is no part of the first line.
    const std::size_t mark = length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    int lineNumber = 0;
    for (std::string line : textLines(text + mark, length - mark)) {
        ++lineNumber;
        const std::string badByte = unexpectedByte(line);
        if (!badByte.empty()) return fail(lineNumber, badByte);
        line = line.substr(0, line.find('#'));
        if (lineWords(line).empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return fail(lineNumber, "expected KEY = VALUE");
        const std::vector<std::string> keyWords = lineWords(line.substr(0, equals));
        const std::vector<std::string> values = lineWords(line.substr(equals + 1));
        std::string key;
        for (const std::string& word : keyWords) key += (key.empty() ? "" : " ") + word;
        if (key.empty()) return fail(lineNumber, "a value without a key");
        if (seen.count(key))
            return fail(lineNumber, "\"" + key + "\" was given on line " + std::to_string(seen[key]) + " already");
        seen[key] = lineNumber;
        if (values.empty()) return fail(lineNumber, "\"" + key + "\" has no value");
        const std::string& value = values[0];
        const bool device = keyWords.size() == 2 &&
                            (keyWords[0] == "light" || keyWords[0] == "fan" || keyWords[0] == "rumble");
        if (values.size() != (device && keyWords[0] == "light" ? 2u : 1u))
            return fail(lineNumber, device && keyWords[0] == "light"
                                        ? "a light takes two numbers: its first channel and its pixels"
                                        : "\"" + key + "\" takes one value");
        int number = 0;
        if (key == "protocol") {
            if (value != "e131" && value != "artnet") return fail(lineNumber, "the protocol is e131 or artnet");
            config.protocol = value == "e131" ? LightsProtocol::e131 : LightsProtocol::artnet;
        } else if (key == "target") {
            if (!readIpv4(value, config.target))
                return fail(lineNumber, "the target is an IPv4 address such as 192.168.1.50 (names are not looked up)");
            const std::string fault = targetFault(config.target);
            if (!fault.empty()) return fail(lineNumber, value + " " + fault);
        } else if (key == "port") {
            if (!readWhole(value, 1, 65535, number)) return fail(lineNumber, "a port is a number from 1 to 65535");
            config.port = static_cast<std::uint16_t>(number);
        } else if (key == "universe") {
            if (!readWhole(value, 0, 63999, number))
                return fail(lineNumber, "a universe is a number: 1 to 63999 for E1.31, 0 to 32767 for Art-Net");
            config.universe = static_cast<std::uint16_t>(number);
            universeGiven = true;
        } else if (key == "priority") {
            if (!readWhole(value, 0, 200, number)) return fail(lineNumber, "a priority is a number from 0 to 200");
            config.priority = static_cast<std::uint8_t>(number);
        } else if (key == "rate") {
            if (!readWhole(value, 1, kMostFramesPerSecond, number))
                return fail(lineNumber, "the rate is a whole number of frames a second, 1 to 44");
            config.rate = number;
        } else if (key == "multicast") {
            if (value != "yes" && value != "no") return fail(lineNumber, "multicast is yes or no");
            config.multicast = value == "yes";
        } else if (device) {
            const int at = locationIndex(keyWords[1]);
            if (at < 0)
                return fail(lineNumber, "\"" + keyWords[1] + "\" is not a location (centre, north, north-east, ...)");
            int pixels = 1;
            if (!readWhole(value, 1, kDmxSlots, number)) return fail(lineNumber, "a channel is a number from 1 to 512");
            if (keyWords[0] == "light" &&
                (!readWhole(values[1], 1, kDmxSlots / 3, pixels) || number + 3 * pixels - 1 > kDmxSlots))
                return fail(lineNumber, "the light's pixels, three channels each, must end by channel 512");
            const int last = keyWords[0] == "light" ? number + 3 * pixels - 1 : number;
            const UsedChannels channels{number, last, lineNumber};
            for (const UsedChannels& other : used)
                if (channels.first <= other.last && other.first <= channels.last)
                    return fail(lineNumber, (last == number ? "channel " + std::to_string(number) + " overlaps"
                                                            : "channels " + std::to_string(number) + "-" +
                                                                  std::to_string(last) + " overlap") +
                                                " those of line " + std::to_string(other.line));
            used.push_back(channels);
            if (keyWords[0] == "light") config.light[at] = {number, pixels};
            else (keyWords[0] == "fan" ? config.fan : config.rumble)[at] = number;
        } else {
            return fail(lineNumber, "unknown key \"" + key + "\"");
        }
    }

    // What only the whole file shows, said at the line it concerns.
    const bool artnet = config.protocol == LightsProtocol::artnet;
    if (!universeGiven) config.universe = artnet ? 0 : 1;
    if (universeGiven && (artnet ? config.universe > 32767 : config.universe < 1))
        return fail(seen["universe"], artnet ? "an Art-Net universe (Port-Address) is 0 to 32767"
                                             : "an E1.31 universe is 1 to 63999");
    if (artnet && seen.count("priority")) return fail(seen["priority"], "priority is E1.31's: Art-Net has none");
    if (artnet && seen.count("multicast")) return fail(seen["multicast"], "multicast is E1.31's: Art-Net has none");
    if (config.multicast && config.target)
        return fail(seen["target"], "with multicast = yes the frames go to the universe's group, not a target");
    if (!config.multicast && !config.target)
        return fail(0, "no target: name the receiver's address (target = 192.168.1.50)");
    if (used.empty()) return fail(0, "no light, fan or rumble is given a channel");
    reading.ok = true;
    return reading;
}

std::uint32_t lightsDestination(const LightsConfig& config) {
    if (!config.multicast) return config.target;
    return 0xEFFF0000u | config.universe;  // 239.255.0.0 plus the universe number
}

std::uint16_t lightsPort(const LightsConfig& config) {
    if (config.port) return config.port;
    return config.protocol == LightsProtocol::e131 ? kE131Port : kArtNetPort;
}

std::string ipv4Text(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, address >> 16 & 0xFF, address >> 8 & 0xFF,
                  address & 0xFF);
    return text;
}
