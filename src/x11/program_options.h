#pragma once
#include <string>

#include "settings/saver_settings.h"

// Where the program draws, in the order it looks: a window named on the command line, the window
// the screen-saver daemon names in $XSCREENSAVER_WINDOW, the root window, or a window of its own.
enum class DrawTargetKind { GivenWindow, RootWindow, OwnWindow };

struct ProgramOptions {
    DrawTargetKind target = DrawTargetKind::OwnWindow;
    unsigned long windowId = 0;      // for GivenWindow
    long tickMicroseconds = 10000;   // the Windows saver's 10 ms render timer
    bool printFrameRate = false;
    SaverSettings settings;          // the Windows saver's defaults without a settings file
    bool showUsage = false;
};

// Reads the command line (argv[0] aside) and the daemon's window, which may be null. Options take
// one dash or two, as the daemons' programs do. False with a message for anything it cannot use.
bool parseProgramOptions(int argc, const char* const* argv, const char* daemonWindow,
                         ProgramOptions& options, std::string& error);

extern const char* const kProgramUsage;
