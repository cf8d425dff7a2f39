#include "shell/command_line.h"

namespace {
bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char* skipSpaces(const char* text) {
    while (*text == ' ') ++text;
    return text;
}
}  // namespace

const char* commandTailStart(const char* commandLine, NextCharFn nextChar) {
    const char* tail = commandLine;
    if (*tail == '"') {
        do tail = nextChar(tail);
        while (*tail != '"' && *tail != '\0');
        if (*tail == '"') ++tail;
    } else if (!isBlankOrControl(*tail)) {
        while (!isBlankOrControl(*tail)) tail = nextChar(tail);
    }
    while (*tail != '\0' && isBlankOrControl(*tail)) tail = nextChar(tail);
    return tail;
}

std::uint32_t parseWindowHandle(const char* text) {
    std::uint32_t value = 0;
    for (; isDigit(*text); ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    return value;
}

CommandDecision decideCommand(const char* tail) {
    while (*tail == ' ' || *tail == '-' || *tail == '/') ++tail;
    const char option = *tail;
    const char* afterOption = tail + 1;
    switch (option) {
    case '\0': return {SaverMode::ConfigureAlone, 0};
    case 's':
    case 'S': return {SaverMode::FullScreen, 0};
    case 'c':
    case 'C':
        return {SaverMode::Configure, *afterOption == ':' ? parseWindowHandle(afterOption + 1) : 0};
    case 'p':
    case 'P':
    case 'l':
    case 'L': return {SaverMode::Preview, parseWindowHandle(skipSpaces(afterOption))};
    case 'a':
    case 'A': return {SaverMode::ChangePassword, parseWindowHandle(skipSpaces(afterOption))};
    default: return {SaverMode::Invalid, 0};
    }
}
