#include "shell/entry.h"

#include <commctrl.h>

#include "settings/configure_dialog.h"
#include "shell/command_line.h"
#include "shell/fault_guard.h"
#include "shell/password.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"

namespace {
constexpr int kConfigureDialogId = 2003;

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

int runMode(const CommandDecision& decision) {
    switch (decision.mode) {
    case SaverMode::ConfigureAlone: return static_cast<int>(showConfigureDialog(nullptr));
    case SaverMode::Configure:
        return static_cast<int>(showConfigureDialog(ownerOrForeground(decision.handle)));
    case SaverMode::FullScreen: return runSaverWindow(nullptr);
    case SaverMode::Preview: {
        HWND parent = existingWindow(decision.handle);
        return parent ? runSaverWindow(parent) : -1;
    }
    case SaverMode::ChangePassword:
        if (!shellState.win9xPlatform) return -1;
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
    shellState.moduleInstance = instance;
    shellState.win9xPlatform = isOlderWindowsFamily();
    installFaultGuard();
    return runMode(decideCommand(commandTail));
}

INT_PTR showConfigureDialog(HWND owner) {
    if (!dialogClassHook(shellState.moduleInstance)) return 0;
    return DialogBoxParamA(shellState.moduleInstance, MAKEINTRESOURCEA(kConfigureDialogId), owner,
                           configureDialogProc, 0);
}
