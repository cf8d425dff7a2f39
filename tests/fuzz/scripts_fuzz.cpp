// Stored scripts, colours and light scripts, whatever they hold. Invariants: a stored text of n
// characters decodes to n / 2 bytes; the colour text is three numbers; substitution replaces exactly
// the first "_VALUE_" (or nothing when there is none) and leaves the rest as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "effects/effect_scripts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    if (decodeScript(text, size).size() != size / 2) std::abort();

    float channels[3] = {0.0f, 0.0f, 0.0f};
    if (size >= sizeof channels) std::memcpy(channels, data, sizeof channels);
    const std::string colour = colourText(channels[0], channels[1], channels[2]);
    if (std::count(colour.begin(), colour.end(), ' ') != 2) std::abort();

    const std::string script(text, size);
    const std::string substituted = substituteColour(script, colour);
    const std::size_t token = script.find("_VALUE_");
    if (substituted != (token == std::string::npos ? script : script.substr(0, token) + colour + script.substr(token + 7)))
        std::abort();
    return 0;
}
