// zovi-logo: the Zovi logo for X11 screen-saver daemons (XScreenSaver, MATE's screensaver), or in a
// full-screen window of its own.
#include <cstdio>
#include <cstdlib>

#include "x11/program_options.h"
#include "effects/in_process_engine.h"
#include "x11/saver_run.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string error;
    if (!parseProgramOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), options, error)) {
        std::fprintf(stderr, "zovi-logo: %s\n%s", error.c_str(), kProgramUsage);
        return 2;
    }
    if (options.showUsage) {
        std::fputs(kProgramUsage, stdout);
        return 0;
    }
    return runSaver(options, inProcessEngineClient());
}
