#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/resource_ids.h"
#include "settings/configure_dialog.h"
#include "support/settings_files.h"

namespace {
// The dialog is driven from inside its own modal loop: a thread timer finds it once it is up and
// acts on it as a user's clicks and keys would.
std::function<void(HWND)> userActions;
void CALLBACK actOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", "Zovi Settings");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    userActions(dialog);
}

INT_PTR runDialog(std::function<void(HWND)> actions) {
    userActions = std::move(actions);
    SetTimer(nullptr, 0, 20, actOnDialog);
    return showConfigureDialog(GetModuleHandleA(nullptr), nullptr);
}
void click(HWND dialog, int control) { SendDlgItemMessageA(dialog, control, BM_CLICK, 0, 0); }

// Fade To Black, Fade To Background, Lights, Fans, Rumbles: "x" checked, "." not.
std::string shown(HWND dialog) {
    std::string states;
    for (int control : {IDC_FADE_TO_BLACK, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES})
        states += SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 'x' : '.';
    return states;
}
}  // namespace

TEST(SettingsDialog, ShowsWhatTheFileReadsAsAndWritesItOnlyOnOk) {
    const struct { const char* file; const char* shown; } cases[] = {
        {nullptr, "x.xx."},  // no file: the defaults
        {"true\r\r\ntrue\r\nfalse\r\r\ntrue\r", ".x..x"},
    };
    SettingsFileScope scope;
    for (const auto& c : cases) {
        if (c.file) writeFileBytes(settingsFile(), c.file);
        std::string seen;
        // Cancel, the close box and Escape end it with 0 and write nothing.
        for (void (*end)(HWND) : {+[](HWND d) { click(d, IDCANCEL); },
                                  +[](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); },
                                  +[](HWND d) { PostMessageA(GetDlgItem(d, IDC_LIGHTS), WM_KEYDOWN, VK_ESCAPE, 0); }}) {
            EXPECT_EQ(runDialog([&](HWND dialog) {
                          seen = shown(dialog);
                          click(dialog, IDC_RUMBLES);
                          end(dialog);
                      }), 0);
            EXPECT_EQ(seen, c.shown) << (c.file ? c.file : "no file");
            EXPECT_EQ(fileBytes(settingsFile()), c.file ? c.file : "<cannot open>");
        }
    }
    // OK writes what the controls show, a hand-edited file normalised to what it read as.
    EXPECT_EQ(runDialog([](HWND dialog) {
                  for (int control : {IDC_FADE_TO_BLACK, IDC_LIGHTS, IDC_RUMBLES}) click(dialog, control);
                  click(dialog, IDOK);
              }), 1);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\ntrue\r\r\nfalse\r\r\nfalse\r\r\n");
    // A file that cannot be replaced: OK ends as Cancel does, the file as it was.
    HANDLE locked = CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(runDialog([](HWND dialog) { click(dialog, IDOK); }), 0);
    CloseHandle(locked);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\ntrue\r\r\nfalse\r\r\nfalse\r\r\n");
}
