#include "x11/program_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kProgramUsage =
    "usage: zovi-logo [--window-id ID | --root] [--delay MICROSECONDS] [--fps]\n"
    "                 [--fade-to-black | --fade-to-background] [--lights | --no-lights]\n"
    "                 [--fans | --no-fans] [--rumbles | --no-rumbles]\n";

namespace {
// A whole number in decimal, or in hexadecimal after 0x, as window ids are written; nothing else.
bool readNumber(const char* text, unsigned long long limit, unsigned long long& value) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 0);
    return errno == 0 && *end == '\0' && value <= limit;
}

bool setFlag(const std::string& name, SaverSettings& settings) {
    struct Flag {
        const char* name;
        bool SaverSettings::*field;
        bool value;
    };
    static const Flag kFlags[] = {
        {"fade-to-black", &SaverSettings::fadeToBackground, false},
        {"fade-to-background", &SaverSettings::fadeToBackground, true},
        {"lights", &SaverSettings::lightsEnabled, true},
        {"no-lights", &SaverSettings::lightsEnabled, false},
        {"fans", &SaverSettings::fansEnabled, true},
        {"no-fans", &SaverSettings::fansEnabled, false},
        {"rumbles", &SaverSettings::rumblesEnabled, true},
        {"no-rumbles", &SaverSettings::rumblesEnabled, false},
    };
    for (const Flag& flag : kFlags) {
        if (name == flag.name) {
            settings.*flag.field = flag.value;
            return true;
        }
    }
    return false;
}
}  // namespace

bool parseProgramOptions(int argc, const char* const* argv, const char* daemonWindow,
                         ProgramOptions& options, std::string& error) {
    bool windowGiven = false, rootAsked = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-' || arg[1] == '\0') {
            error = std::string("unexpected argument '") + arg + "'";
            return false;
        }
        const std::string name = arg + (arg[1] == '-' ? 2 : 1);
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long number = 0;
        if (name == "window-id") {
            if (!readNumber(value, 0xFFFFFFFFull, number) || number == 0) {
                error = "--window-id needs a window id";
                return false;
            }
            options.windowId = static_cast<unsigned long>(number);
            windowGiven = true;
            ++i;
        } else if (name == "delay") {
            if (!readNumber(value, 10000000ull, number)) {
                error = "--delay needs microseconds (0 to 10000000)";
                return false;
            }
            options.tickMicroseconds = static_cast<long>(number);
            ++i;
        } else if (name == "root") {
            rootAsked = true;
        } else if (name == "fps") {
            options.printFrameRate = true;
        } else if (name == "help" || name == "h") {
            options.showUsage = true;
        } else if (!setFlag(name, options.settings)) {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }
    unsigned long long daemonId = 0;
    if (!windowGiven && daemonWindow && readNumber(daemonWindow, 0xFFFFFFFFull, daemonId) && daemonId != 0) {
        options.windowId = static_cast<unsigned long>(daemonId);
        windowGiven = true;
    }
    options.target = windowGiven ? DrawTargetKind::GivenWindow
                     : rootAsked ? DrawTargetKind::RootWindow
                                 : DrawTargetKind::OwnWindow;
    return true;
}
