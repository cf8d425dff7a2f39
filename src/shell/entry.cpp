#include "shell/entry.h"

#include <commctrl.h>

#include "settings/configure_dialog.h"
#include "shell/command_line.h"
#include "process/fault_guard.h"
#include "shell/password.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"

namespace {
const char* nextAnsiChar(const char* text) { return CharNextA(text); }

bool isOlderWindowsFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// The window a command-line number names, or null when it names none.
HWND existingWindow(std::uint32_t handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
    return handle != 0 && IsWindow(window) ? window : nullptr;
}

HWND ownerOrForeground(std::uint32_t handle) {
    HWND owner = existingWindow(handle);
    return owner ? owner : GetForegroundWindow();
}

int runMode(SaverShellState& shell, const CommandDecision& decision) {
    switch (decision.mode) {
    case SaverMode::ConfigureAlone:
        return static_cast<int>(showConfigureDialog(shell.moduleInstance, nullptr));
    case SaverMode::Configure:
        return static_cast<int>(
            showConfigureDialog(shell.moduleInstance, ownerOrForeground(decision.handle)));
    case SaverMode::FullScreen: return runSaverWindow(shell, nullptr);
    case SaverMode::Preview: {
        HWND parent = existingWindow(decision.handle);
        return parent ? runSaverWindow(shell, parent) : -1;
    }
    case SaverMode::ChangePassword:
        if (!shell.olderFamily) return -1;
        changePassword(ownerOrForeground(decision.handle));
        return 0;
    case SaverMode::Invalid: return -1;
    }
    return -1;
}
}  // namespace

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query's size field is 148");

void saverEntry() {
    const char* tail = commandTailStart(GetCommandLineA(), nextAnsiChar);
    ExitProcess(static_cast<UINT>(dispatchCommandLine(GetModuleHandleA(nullptr), tail)));
}

int dispatchCommandLine(HINSTANCE instance, const char* commandTail) {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
    // The run's shell state lives here until the process ends: every mode returns to this frame.
    SaverShellState shell;
    shell.moduleInstance = instance;
    shell.olderFamily = isOlderWindowsFamily();
    installFaultGuard(shell.olderFamily);
    return runMode(shell, decideCommand(commandTail));
}
