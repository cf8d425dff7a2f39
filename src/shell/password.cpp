#include "shell/password.h"

#include "process/saver_running_notice.h"
#include "process/system_module.h"
#include "shell/close_rules.h"

namespace {
using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD, DWORD);

bool passwordWanted() {
    HKEY desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) != 0)
        return false;
    DWORD value = 0;  // data shorter than 4 bytes leaves the rest zero
    DWORD size = sizeof value;
    const LONG queried = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(desktop);
    return queried == 0 && value != 0;
}
}  // namespace

void loadPasswordModule(SaverShellState& shell) {
    if (!shell.olderFamily) return;
    if (shell.passwordModule) unloadPasswordModule(shell);
    if (!passwordWanted()) return;
    shell.passwordModule = loadSystemModule("PASSWORD.CPL");
    if (!shell.passwordModule) return;
    shell.verifyPasswordFn = entryPoint<VerifyPasswordFn>(shell.passwordModule, "VerifyScreenSavePwd");
    if (shell.verifyPasswordFn)
        setSaverRunning(true, TRUE);
    else
        unloadPasswordModule(shell);
}

void unloadPasswordModule(SaverShellState& shell) {
    if (!shell.olderFamily || !shell.passwordModule) return;
    FreeLibrary(shell.passwordModule);
    shell.passwordModule = nullptr;
    if (shell.verifyPasswordFn) {
        shell.verifyPasswordFn = nullptr;
        setSaverRunning(true, FALSE);
    }
}

int verifyPasswordBeforeClose(PasswordPrompt& prompt, const SaverShellState& shell, HWND window) {
    VerifyState state;
    state.verifyingPassword = prompt.verifyingPassword;
    state.closeApproved = prompt.closeApproved;
    state.verifierLoaded = shell.verifyPasswordFn != nullptr;
    state.lastVerifyTick = prompt.lastVerifyTick;
    switch (verificationStep(state, GetTickCount())) {
    case VerifyStep::Refuse: return 0;
    case VerifyStep::Approve: prompt.closeApproved = true; return 1;
    case VerifyStep::Ask: break;
    }
    prompt.verifyingPassword = true;
    // Ticks queued before the prompt would only draw behind it.
    MSG dropped;
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    const LRESULT approved = SendMessageA(window, kVerifyPasswordRequest, 0, 0);
    prompt.closeApproved = approved != 0;
    prompt.verifyingPassword = false;
    if (!approved) SetCursor(nullptr);
    prompt.lastVerifyTick = GetTickCount();
    return prompt.closeApproved ? 1 : 0;
}

void changePassword(HWND owner) {
    HMODULE mpr = loadSystemModule("MPR.DLL");
    if (!mpr) return;
    if (auto change = entryPoint<ChangePasswordFn>(mpr, "PwdChangePasswordA"))
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(mpr);
}
