#pragma once
// The substitute engine's effects language (docs/effects-language.md): a header line, then one
// timed event a line. Pure code, so the parser is tested natively on the saver's own scripts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class EffectDevice { light, fan, rumble };
enum class EffectAction { colour, brightness, level };

struct EffectEvent {
    int line = 0;                 // 1-based line of the script
    std::uint32_t atMs = 0;       // when the change starts, from the script's start
    EffectDevice device = EffectDevice::light;
    std::string location;         // "everywhere", "centre" or a compass point
    EffectAction action = EffectAction::colour;
    int red = 0, green = 0, blue = 0;  // colour: whole percentages
    int percent = 0;              // brightness or level
    std::uint32_t overMs = 0;     // how long the change takes; 0 is at once
};

struct ParsedScript {
    bool parsed = false;
    int errorLine = 0;            // where parsing stopped, when it failed
    std::string error;
    std::vector<EffectEvent> events;
};

ParsedScript parseEffectsScript(const char* text, std::size_t length);

// What a parsed script does, as a JSON object: its events, devices, locations, colours and length
// in time; for a script that does not parse, the line and the reason.
std::string scriptSummaryJson(const ParsedScript& script);
