#include "effects/effect_scripts.h"

#include <cstdint>

#include "effects/script_key.h"

namespace {
// Any character decodes: "9" and below count from "0", everything else from "A" less ten, so lower
// case and stray bytes give odd values, never a fault.
unsigned hexDigit(char c) {
    const unsigned code = static_cast<unsigned char>(c);
    return code <= '9' ? code - 48u : code - 55u;
}

// Whole percent, truncated toward zero. The logo's channels lie within 0.21..0.7; anything else
// (not a number, or beyond 32 bits) is held to the nearest value a 32-bit integer can take rather
// than left to an undefined conversion.
std::int32_t percentOf(float channel) {
    const double scaled = static_cast<double>(channel) * 100.0;
    if (scaled != scaled) return 0;
    if (scaled >= 2147483648.0) return INT32_MAX;
    if (scaled <= -2147483649.0) return INT32_MIN;
    return static_cast<std::int32_t>(scaled);
}
}  // namespace

std::string decodeScript(const char* stored, std::size_t length) {
    unsigned char key[4];
    key[0] = kScriptKeyByte0;
    key[1] = kScriptKeyByte1;
    key[2] = kScriptKeyByte2;
    key[3] = kScriptKeyByte3;

    std::string decoded;
    if (length < 2) return decoded;
    const std::size_t bytes = length / 2;
    decoded.reserve(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        unsigned value = 0;
        value = 16u * value + hexDigit(stored[2 * i]);
        value = 16u * value + hexDigit(stored[2 * i + 1]);
        decoded.push_back(static_cast<char>((value & 0xFFu) ^ key[i % 4]));
    }
    return decoded;
}

std::string colourText(float red, float green, float blue) {
    return std::to_string(percentOf(red)) + " " + std::to_string(percentOf(green)) + " " +
           std::to_string(percentOf(blue));
}

std::string substituteColour(const std::string& script, const std::string& colour) {
    std::string prepared = script;
    const std::string token = kColourToken;
    const std::size_t at = prepared.find(token);
    if (at != std::string::npos) prepared.replace(at, token.size(), colour);
    return prepared;
}
