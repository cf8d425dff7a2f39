#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/dialog_driver.h"
#include "support/settings_files.h"

namespace {
// Fade To Black, Fade To Background, Lights, Fans, Rumbles: checked or not.
using Shown = std::array<bool, 5>;

Shown shownStates(HWND dialog) {
    Shown shown;
    const int controls[] = {IDC_FADE_TO_BLACK, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES};
    for (int i = 0; i < 5; ++i) shown[i] = buttonState(dialog, controls[i]) == BST_CHECKED;
    return shown;
}

// Opens the dialog on the given file (none when null), notes what it shows and cancels.
Shown shownFor(const char* fileBytes) {
    SettingsFileScope scope;
    if (fileBytes) writeFileBytes(settingsFile(), fileBytes);
    Shown shown = {};
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        shown = shownStates(dialog);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(run.appeared);
    return shown;
}

// Presses key the given number of times and gives the control that has the focus after each press.
std::vector<int> focusRoute(HWND dialog, UINT key, int presses) {
    std::vector<int> route;
    for (int i = 0; i < presses; ++i) {
        HWND before = focusedWindow(dialog);
        pressKey(dialog, key);
        for (DWORD start = GetTickCount(); focusedWindow(dialog) == before && GetTickCount() - start < 2000;)
            Sleep(5);
        route.push_back(GetDlgCtrlID(focusedWindow(dialog)));
    }
    return route;
}
}  // namespace

TEST(SettingsDialog, OpensOnWhatTheFileReadsAs) {
    EXPECT_EQ(shownFor(nullptr), (Shown{true, false, true, true, false})) << "no file: the defaults";
    EXPECT_EQ(shownFor(""), (Shown{true, false, false, false, false})) << "an empty file: all false";
    // Lights false (its CR LF reads as a bare LF), Rumbles from a last line without LF.
    EXPECT_EQ(shownFor("true\r\r\ntrue\r\nfalse\r\r\ntrue\r"), (Shown{false, true, false, false, true}));
    EXPECT_EQ(shownFor("false\r\r\ntrue\r"), (Shown{true, false, true, true, true})) << "carried over";
}

TEST(SettingsDialog, OkAndEnterWriteTheChoicesInTheExactForm) {
    SettingsFileScope scope;
    DialogRun run = runSettingsDialog([](HWND dialog) {
        for (int control : {IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_RUMBLES}) clickButton(dialog, control);
        clickButton(dialog, IDOK);
    });
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");

    // OK with nothing changed normalises a hand-edited file to what it read as.
    writeFileBytes(settingsFile(), "true\r\r\nTRUE\r\r\ntrue\r\x1a" "true\r\r\n");
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDOK); }).result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");

    writeFileBytes(settingsFile(), "");
    run = runSettingsDialog([](HWND dialog) {
        clickButton(dialog, IDC_FANS);  // the focus is on a check box now, not on OK
        pressKey(dialog, VK_RETURN);
    });
    EXPECT_TRUE(run.endedByScript);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\nfalse\r\r\ntrue\r\r\nfalse\r\r\n");
}

TEST(SettingsDialog, CancelEscapeAndTheCloseBoxLeaveTheFileAsItWasAndEndWithZero) {
    SettingsFileScope scope;
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDCANCEL); }).result, 0);
    EXPECT_FALSE(fileExists(settingsFile())) << "Cancel creates no file";

    const std::string handEdited = "TRUE\r\ntrue\r\r\n\r\n";
    writeFileBytes(settingsFile(), handEdited);
    const FILETIME before = lastWriteTime(settingsFile());
    Sleep(20);  // so that a rewrite would show in the file's time as well
    const std::pair<const char*, void (*)(HWND)> ends[] = {
        {"Cancel", [](HWND dialog) { clickButton(dialog, IDCANCEL); }},
        {"Escape", [](HWND dialog) { pressKey(dialog, VK_ESCAPE); }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [how, end] : ends) {
        const DialogRun run = runSettingsDialog([&](HWND dialog) {
            for (int control : {IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES}) clickButton(dialog, control);
            end(dialog);
        });
        EXPECT_TRUE(run.endedByScript) << how;
        EXPECT_EQ(run.result, 0) << how;
        EXPECT_EQ(fileBytes(settingsFile()), handEdited) << how;
        const FILETIME after = lastWriteTime(settingsFile());
        EXPECT_EQ(CompareFileTime(&before, &after), 0) << how;
    }
}

TEST(SettingsDialog, TabMovesAmongOkCancelTheCheckBoxesAndTheSelectedRadioButtonOnly) {
    // The template gives neither radio button a tab stop; the platform's button gives one to a radio
    // button while it is checked, so the keyboard reaches the Background choice through whichever of
    // the two is selected, and the arrow keys move the selection within the group.
    SettingsFileScope scope;
    std::vector<int> firstRound, toRadio, arrowed, secondRound;
    Shown afterArrow = {};
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        firstRound = focusRoute(dialog, VK_TAB, 6);  // round to OK again
        toRadio = focusRoute(dialog, VK_TAB, 2);
        arrowed = focusRoute(dialog, VK_DOWN, 1);
        afterArrow = shownStates(dialog);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        secondRound = focusRoute(dialog, VK_TAB, 6);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(run.appeared);
    EXPECT_EQ(firstRound, (std::vector<int>{IDCANCEL, IDC_FADE_TO_BLACK, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES, IDOK}));
    EXPECT_EQ(toRadio, (std::vector<int>{IDCANCEL, IDC_FADE_TO_BLACK}));
    EXPECT_EQ(arrowed, (std::vector<int>{IDC_FADE_TO_BACKGROUND}));
    EXPECT_EQ(afterArrow, (Shown{false, true, true, true, false}));
    EXPECT_EQ(secondRound,
              (std::vector<int>{IDCANCEL, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES, IDOK}));
}
