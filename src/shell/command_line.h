#pragma once
#include <cstdint>

// The command line the desktop gives a screen saver, read the way the desktop means it. Pure: the
// Windows layer supplies the character stepper and acts on the decision.

// Steps to the next character of ANSI text (a double-byte character is stepped over whole).
using NextCharFn = const char* (*)(const char* text);

// The command tail: the program's name (quoted or not) and the blanks after it skipped.
const char* commandTailStart(const char* commandLine, NextCharFn nextChar);

// Decimal digits read into an unsigned 32-bit value, wrapping modulo 2^32; 0 when no digit starts
// the text. Nothing is skipped and there is no sign.
std::uint32_t parseWindowHandle(const char* text);

enum class SaverMode {
    ConfigureAlone,  // the settings dialog without an owner (empty tail)
    Configure,       // the settings dialog; owner handle given (0: the foreground window)
    FullScreen,      // the saver over the whole virtual screen
    Preview,         // the saver inside the window named by handle (0: none, nothing runs)
    ChangePassword,  // the older family's password change; owner handle given (0: foreground)
    Invalid,         // nothing runs; exit code -1
};

struct CommandDecision {
    SaverMode mode;
    std::uint32_t handle;  // the window named on the command line, 0 when none
};

// What the command tail asks for: separators (space, '-', '/') skipped, then one option letter.
CommandDecision decideCommand(const char* commandTail);
