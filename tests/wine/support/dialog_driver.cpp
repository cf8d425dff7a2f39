#include "support/dialog_driver.h"

#include <thread>

#include "settings/configure_dialog.h"

namespace {
constexpr DWORD kAppearMs = 10000;
constexpr DWORD kEndMs = 5000;

struct DialogSearch {
    HWND found = nullptr;
};

BOOL CALLBACK findSettingsDialog(HWND window, LPARAM lParam) {
    char className[32] = {}, title[64] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(className, "#32770") || lstrcmpA(title, "Zovi Settings") || !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<DialogSearch*>(lParam)->found = window;
    return FALSE;
}

HWND waitForDialog(DWORD thread) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kAppearMs; Sleep(10)) {
        DialogSearch search;
        EnumThreadWindows(thread, findSettingsDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

bool waitForEnd(HWND dialog) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kEndMs; Sleep(10))
        if (!IsWindow(dialog)) return true;
    return false;
}
}  // namespace

DialogRun runSettingsDialog(const std::function<void(HWND dialog)>& script) {
    DialogRun run;
    const DWORD dialogThread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = waitForDialog(dialogThread);
        if (!dialog) return;
        run.appeared = true;
        script(dialog);
        if (waitForEnd(dialog)) return;
        run.endedByScript = false;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    run.result = showConfigureDialog(GetModuleHandleA(nullptr), nullptr);
    driver.join();
    return run;
}

LRESULT buttonState(HWND dialog, int control) {
    return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0);
}

void clickButton(HWND dialog, int control) {
    SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0);
}

void pressKey(HWND dialog, UINT key) {
    HWND target = focusedWindow(dialog);
    if (!target) target = dialog;
    const UINT scanCode = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scanCode << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scanCode << 16) | 0xC0000000u);
}

HWND focusedWindow(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}
