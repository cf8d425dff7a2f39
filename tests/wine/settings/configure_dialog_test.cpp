#include <gtest/gtest.h>

#include <string>

#include "settings/configure_dialog.h"
#include "support/settings_files.h"

namespace {
// Presses OK from inside the dialog's own modal loop, once the dialog is up.
void CALLBACK pressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", "Zovi Settings");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
}
}  // namespace

// What the dialog shows and writes, with real clicks and keys, is the end-to-end suite's part.
TEST(SettingsDialog, OkOnAFileThatCannotBeReplacedEndsAsCancelAndLeavesTheFile) {
    SettingsFileScope scope;
    const std::string kept = "false\r\r\ntrue\r\r\nfalse\r\r\nfalse\r\r\n";
    writeFileBytes(settingsFile(), kept);
    HANDLE locked = CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetTimer(nullptr, 0, 20, pressOk);
    EXPECT_EQ(showConfigureDialog(GetModuleHandleA(nullptr), nullptr), 0);
    CloseHandle(locked);
    EXPECT_EQ(fileBytes(settingsFile()), kept);
}
