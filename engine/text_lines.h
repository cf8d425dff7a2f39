#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The lines of a script or a lights configuration, both plain ASCII text: split at each LF, with a
// CR before it dropped. The text's last LF ends its last line, and an empty text is one empty line.
std::vector<std::string> textLines(const char* text, std::size_t length);

// A line of a script or a lights configuration.

// Its words: the runs of characters between spaces and tabs.
std::vector<std::string> lineWords(const std::string& line);

// "unexpected byte 0xNN" for its first byte that is neither printable ASCII nor a tab; "" when none is.
std::string unexpectedByte(const std::string& line);
