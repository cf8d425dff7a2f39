#include "shell/shell_state.h"

SaverShellState shellState;

SaverWindowFlags currentSaverWindowFlags() {
    SaverWindowFlags flags;
    flags.previewMode = shellState.previewMode;
    flags.closeApproved = shellState.closeApproved;
    flags.verifyingPassword = shellState.verifyingPassword;
    flags.win9xPlatform = shellState.win9xPlatform;
    return flags;
}
