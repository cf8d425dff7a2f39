// The command tail as the desktop (or anyone) may give it: the entry's name skipping with single-
// and double-byte steppers, and the dispatcher's decision.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/command_line.h"

namespace {
const char* nextByte(const char* text) { return *text ? text + 1 : text; }
const char* nextDoubleByte(const char* text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (c == 0) return text;
    return (c >= 0x81 && c <= 0x9F && text[1] != '\0') ? text + 2 : text + 1;
}

void check(const std::string& line, NextCharFn next) {
    const char* tail = commandTailStart(line.c_str(), next);
    const char* end = line.c_str() + line.size();
    if (tail < line.c_str() || tail > end) std::abort();
    const CommandDecision decision = decideCommand(tail);
    if (decision.mode == SaverMode::FullScreen && decision.handle != 0) std::abort();
    if (decision.mode == SaverMode::Invalid && decision.handle != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);  // cut at the first NUL
    const std::string text = line.substr(0, line.find('\0'));
    check(text, nextByte);
    check(text, nextDoubleByte);
    return 0;
}
