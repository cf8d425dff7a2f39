#pragma once
#include <string>
#include <vector>

// A line of a script or a lights configuration, both plain ASCII text.

// Its words: the runs of characters between spaces and tabs.
std::vector<std::string> lineWords(const std::string& line);

// "unexpected byte 0xNN" for its first byte that is neither printable ASCII nor a tab; "" when none is.
std::string unexpectedByte(const std::string& line);
