// The command tail as the desktop (or anyone) may give it: the entry's name skipping with single-
// and double-byte steppers, the dispatcher's decision, and a window handle's digits against a plain
// reading of them, wrapping modulo 2^32.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/command_line.h"

namespace {
const char* nextByte(const char* text) { return *text ? text + 1 : text; }
const char* nextDoubleByte(const char* text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    return c >= 0x81 && c <= 0x9F && text[1] ? text + 2 : nextByte(text);
}

void check(const std::string& line, NextCharFn next) {
    const char* tail = commandTailStart(line.c_str(), next);
    if (tail < line.c_str() || tail > line.c_str() + line.size()) std::abort();
    const CommandDecision decision = decideCommand(tail);
    if ((decision.mode == SaverMode::FullScreen || decision.mode == SaverMode::Invalid) && decision.handle) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);  // cut at the first NUL
    const std::string text = line.substr(0, line.find('\0'));
    check(text, nextByte);
    check(text, nextDoubleByte);
    std::uint64_t handle = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        handle = (handle * 10 + static_cast<std::uint64_t>(text[i] - '0')) % 4294967296ull;
    if (parseWindowHandle(text.c_str()) != handle) std::abort();
    return 0;
}
