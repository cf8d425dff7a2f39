#pragma once
#include <cstddef>
#include <string>

// Marks the place in a light script where the cycle's colour goes.
constexpr const char* kColourToken = "_VALUE_";

// The bytes of a stored script: pairs of upper-case hex digits, each byte XOR-ed with the script key
// cycling from its first letter. Fewer than two characters give nothing; an odd last one is ignored.
std::string decodeScript(const char* stored, std::size_t length);

// The colour as the engine takes it: whole percentages, truncated, "R G B".
std::string colourText(float red, float green, float blue);

// A copy of the script with the colour text in place of its first token; without a token the copy
// is the script unchanged.
std::string substituteColour(const std::string& script, const std::string& colour);
