#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/dialog_driver.h"
#include "support/settings_files.h"

namespace {
// Fade To Black, Fade To Background, Lights, Fans, Rumbles: "x" checked, "." not.
std::string shown(HWND dialog) {
    std::string states;
    for (int control : {IDC_FADE_TO_BLACK, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES})
        states += buttonState(dialog, control) == BST_CHECKED ? 'x' : '.';
    return states;
}

void clickAll(HWND dialog) {
    for (int control : {IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_RUMBLES}) clickButton(dialog, control);
}
}  // namespace

TEST(SettingsDialog, OpensOnWhatTheFileReadsAs) {
    const struct { const char* file; const char* shown; } cases[] = {
        {nullptr, "x.xx."},  // no file: the defaults
        {"", "x...."},       // an empty file: all false
        {"true\r\r\ntrue\r\nfalse\r\r\ntrue\r", ".x..x"},
        {"false\r\r\ntrue\r", "x.xxx"},  // the last line stands for the ones after it
    };
    for (const auto& c : cases) {
        SettingsFileScope scope;
        if (c.file) writeFileBytes(settingsFile(), c.file);
        std::string seen;
        EXPECT_TRUE(runSettingsDialog([&](HWND dialog) {
                        seen = shown(dialog);
                        clickButton(dialog, IDCANCEL);
                    }).appeared);
        EXPECT_EQ(seen, c.shown) << (c.file ? c.file : "no file");
    }
}

TEST(SettingsDialog, OkAndEnterWriteTheChoicesInTheExactForm) {
    SettingsFileScope scope;
    EXPECT_EQ(runSettingsDialog([](HWND dialog) {
                  clickAll(dialog);
                  clickButton(dialog, IDOK);
              }).result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");
    // Enter presses OK wherever the focus is; a hand-edited file is normalised to what it read as.
    writeFileBytes(settingsFile(), "false\r\r\nTRUE\r\r\ntrue\r\x1a" "true\r\r\n");
    const DialogRun run = runSettingsDialog([](HWND dialog) {
        clickButton(dialog, IDC_FANS);
        pressKey(dialog, VK_RETURN);
    });
    EXPECT_TRUE(run.endedByScript);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\nfalse\r\r\nfalse\r\r\ntrue\r\r\n");
}

TEST(SettingsDialog, CancelEscapeAndTheCloseBoxLeaveTheFileAsItWasAndEndWithZero) {
    SettingsFileScope scope;
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDCANCEL); }).result, 0);
    EXPECT_EQ(fileBytes(settingsFile()), "<cannot open>") << "Cancel creates no file";
    const std::string handEdited = "TRUE\r\ntrue\r\r\n\r\n";
    writeFileBytes(settingsFile(), handEdited);
    for (void (*end)(HWND) : {+[](HWND d) { clickButton(d, IDCANCEL); }, +[](HWND d) { pressKey(d, VK_ESCAPE); },
                              +[](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }}) {
        const DialogRun run = runSettingsDialog([&](HWND dialog) {
            clickAll(dialog);
            end(dialog);
        });
        EXPECT_TRUE(run.endedByScript);
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(fileBytes(settingsFile()), handEdited);
    }
}

TEST(SettingsDialog, TabMovesAmongOkCancelTheCheckBoxesAndTheSelectedRadioButtonOnly) {
    // The template gives neither radio button a tab stop; the platform's button gives one to a radio
    // button while it is checked, so the keyboard reaches the Background choice through it.
    SettingsFileScope scope;
    std::vector<int> route;
    runSettingsDialog([&](HWND dialog) {
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        for (int i = 0; i < 6; ++i) {
            HWND before = focusedWindow(dialog);
            pressKey(dialog, VK_TAB);
            for (DWORD start = GetTickCount(); focusedWindow(dialog) == before && GetTickCount() - start < 2000;)
                Sleep(5);
            route.push_back(GetDlgCtrlID(focusedWindow(dialog)));
        }
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(route, (std::vector<int>{IDCANCEL, IDC_FADE_TO_BLACK, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES, IDOK}));
}
