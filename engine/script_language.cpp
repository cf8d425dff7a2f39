#include "script_language.h"

#include <algorithm>

#include "json_text.h"
#include "text_lines.h"

namespace {
constexpr const char* kHeaderName = "zovi-effects";
constexpr const char* kHeaderVersion = "1";
constexpr std::uint32_t kLongestTimeMs = 600000;

const char* const kLocations[] = {"everywhere", "centre",     "north", "north-east", "east",
                                  "south-east", "south",      "south-west", "west", "north-west"};

bool isDigits(const std::string& text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

// Whole numbers of up to six digits, so no sum below can overflow.
bool readWhole(const std::string& text, std::size_t from, std::size_t to, std::uint32_t& value) {
    if (!isDigits(text, from, to) || to - from > 6) return false;
    value = 0;
    for (std::size_t i = from; i < to; ++i) value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return true;
}

// "250ms", "2s" or "1.5s" (up to three decimals).
bool readTime(const std::string& token, std::uint32_t& ms) {
    const std::size_t n = token.size();
    if (n > 2 && token.compare(n - 2, 2, "ms") == 0) {
        if (!readWhole(token, 0, n - 2, ms)) return false;
    } else if (n > 1 && token[n - 1] == 's') {
        const std::size_t dot = token.find('.');
        std::uint32_t whole = 0, fraction = 0;
        if (dot == std::string::npos) {
            if (!readWhole(token, 0, n - 1, whole)) return false;
        } else {
            const std::size_t decimals = n - 1 - (dot + 1);
            if (!readWhole(token, 0, dot, whole) || decimals > 3 ||
                !readWhole(token, dot + 1, n - 1, fraction))
                return false;
            for (std::size_t i = decimals; i < 3; ++i) fraction *= 10;
        }
        if (whole > kLongestTimeMs / 1000) return false;
        ms = whole * 1000 + fraction;
    } else {
        return false;
    }
    return ms <= kLongestTimeMs;
}

bool readPercentNumber(const std::string& token, int& percent) {
    std::uint32_t value = 0;
    if (!readWhole(token, 0, token.size(), value) || value > 100) return false;
    percent = static_cast<int>(value);
    return true;
}

bool readPercent(const std::string& token, int& percent) {
    if (token.size() < 2 || token.back() != '%') return false;
    return readPercentNumber(token.substr(0, token.size() - 1), percent);
}

const char* deviceName(EffectDevice device) {
    switch (device) {
    case EffectDevice::light: return "light";
    case EffectDevice::fan: return "fan";
    case EffectDevice::rumble: return "rumble";
    }
    return "?";
}

bool readDevice(const std::string& token, EffectDevice& device) {
    for (EffectDevice d : {EffectDevice::light, EffectDevice::fan, EffectDevice::rumble}) {
        if (token == deviceName(d)) {
            device = d;
            return true;
        }
    }
    return false;
}

bool isLocation(const std::string& token) {
    return std::find(std::begin(kLocations), std::end(kLocations), token) != std::end(kLocations);
}

// One event line, its tokens already split; says what is wrong, or nothing.
std::string readEvent(const std::vector<std::string>& tokens, EffectEvent& event) {
    if (tokens[0] != "at") return "expected \"at\", \"#\" or a blank line, found \"" + tokens[0] + "\"";
    if (tokens.size() < 6) return "an event needs: at TIME DEVICE LOCATION ACTION VALUE";
    if (!readTime(tokens[1], event.atMs)) return "\"" + tokens[1] + "\" is not a time (250ms, 2s, 1.5s; at most 600s)";
    if (!readDevice(tokens[2], event.device)) return "\"" + tokens[2] + "\" is not a device (light, fan, rumble)";
    if (!isLocation(tokens[3])) return "\"" + tokens[3] + "\" is not a location";
    event.location = tokens[3];

    std::size_t next = 5;
    const std::string& action = tokens[4];
    if (event.device == EffectDevice::light && action == "colour") {
        event.action = EffectAction::colour;
        if (tokens[5] == "black" || tokens[5] == "white") {
            event.red = event.green = event.blue = tokens[5] == "black" ? 0 : 100;
            next = 6;
        } else {
            if (tokens.size() < 8 || !readPercentNumber(tokens[5], event.red) ||
                !readPercentNumber(tokens[6], event.green) || !readPercentNumber(tokens[7], event.blue))
                return "a colour is black, white or three whole percentages: red green blue";
            next = 8;
        }
    } else if (event.device == EffectDevice::light && action == "brightness") {
        event.action = EffectAction::brightness;
        if (!readPercent(tokens[5], event.percent)) return "a brightness is a percentage, 0% to 100%";
        next = 6;
    } else if (event.device != EffectDevice::light && action == "level") {
        event.action = EffectAction::level;
        if (!readPercent(tokens[5], event.percent)) return "a level is a percentage, 0% to 100%";
        next = 6;
    } else {
        return std::string("a ") + deviceName(event.device) + " takes " +
               (event.device == EffectDevice::light ? "\"colour\" or \"brightness\"" : "\"level\"") +
               ", not \"" + action + "\"";
    }

    if (next < tokens.size()) {
        if (tokens[next] != "over" || next + 2 != tokens.size())
            return "after the value only \"over DURATION\" may follow";
        if (!readTime(tokens[next + 1], event.overMs))
            return "\"" + tokens[next + 1] + "\" is not a duration";
    }
    return std::string();
}
}  // namespace

ParsedScript parseEffectsScript(const char* text, std::size_t length) {
    ParsedScript script;
    auto fail = [&script](int line, const std::string& why) {
        script.events.clear();
        script.errorLine = line;
        script.error = why;
        return script;
    };

    bool headerSeen = false;
    int lineNumber = 0;
    for (const std::string& line : textLines(text, length)) {
        ++lineNumber;
        const std::string badByte = unexpectedByte(line);
        if (!badByte.empty()) return fail(lineNumber, badByte);
        const std::vector<std::string> tokens = lineWords(line);
        if (tokens.empty() || tokens[0][0] == '#') continue;
        if (!headerSeen) {
            if (tokens.size() != 2 || tokens[0] != kHeaderName || tokens[1] != kHeaderVersion)
                return fail(lineNumber, "the first line must be \"zovi-effects 1\"");
            headerSeen = true;
            continue;
        }
        EffectEvent event;
        event.line = lineNumber;
        const std::string why = readEvent(tokens, event);
        if (!why.empty()) return fail(lineNumber, why);
        if (!script.events.empty() && event.atMs < script.events.back().atMs)
            return fail(lineNumber, "events must come in time order");
        script.events.push_back(event);
    }
    if (!headerSeen) return fail(lineNumber, "the first line must be \"zovi-effects 1\"");
    if (script.events.empty()) return fail(lineNumber, "a script needs at least one event");
    script.parsed = true;
    return script;
}

std::string scriptSummaryJson(const ParsedScript& script) {
    std::string out = "{";
    if (!script.parsed) {
        out += "\"errorLine\":" + std::to_string(script.errorLine) + ",\"error\":";
        appendJsonString(out, script.error.data(), script.error.size());
        return out + "}";
    }
    std::vector<std::string> devices, locations, colours;
    auto addOnce = [](std::vector<std::string>& list, const std::string& item) {
        if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
    };
    std::uint32_t durationMs = 0;
    for (const EffectEvent& event : script.events) {
        addOnce(devices, deviceName(event.device));
        addOnce(locations, event.location);
        if (event.action == EffectAction::colour)
            addOnce(colours, std::to_string(event.red) + " " + std::to_string(event.green) + " " +
                                 std::to_string(event.blue));
        durationMs = std::max(durationMs, event.atMs + event.overMs);
    }
    auto appendList = [&out](const char* name, const std::vector<std::string>& list) {
        out += ",\"";
        out += name;
        out += "\":[";
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i) out += ',';
            appendJsonString(out, list[i].data(), list[i].size());
        }
        out += ']';
    };
    out += "\"events\":" + std::to_string(script.events.size());
    out += ",\"durationMs\":" + std::to_string(durationMs);
    appendList("devices", devices);
    appendList("locations", locations);
    appendList("colours", colours);
    return out + "}";
}
