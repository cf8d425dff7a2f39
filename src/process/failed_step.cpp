#include "process/failed_step.h"

#include <string>

namespace {
std::string decimal(DWORD value) {
    std::string digits;
    do digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    while (value /= 10);
    return digits;
}
}  // namespace

void reportFailedStep(const char* step, DWORD error) {
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, sizeof text, nullptr);
    // The system's text ends in a line break of its own.
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
    const std::string line = std::string("zovi: ") + step + " failed: " +
                             (length ? std::string(text, length) : std::string("no text for it")) + " (error " +
                             decimal(error) + ")\n";
    OutputDebugStringA(line.c_str());
}
