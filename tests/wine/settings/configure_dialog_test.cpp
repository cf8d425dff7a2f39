#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "support/dialog_driver.h"
#include "support/settings_files.h"

namespace {
const std::string kAllFalse = "false\r\r\nfalse\r\r\nfalse\r\r\nfalse\r\r\n";

struct ShownStates {
    LRESULT fadeToBlack, fadeToBackground, lights, fans, rumbles;
};

ShownStates shownStates(HWND dialog) {
    return {buttonState(dialog, IDC_FADE_TO_BLACK), buttonState(dialog, IDC_FADE_TO_BACKGROUND),
            buttonState(dialog, IDC_LIGHTS), buttonState(dialog, IDC_FANS), buttonState(dialog, IDC_RUMBLES)};
}

// Opens the dialog on whatever file there is, notes what it shows and cancels.
ShownStates statesShownFor(const std::string* fileBytes) {
    SettingsFileScope scope;
    if (fileBytes) writeFileBytes(settingsFile(), *fileBytes);
    ShownStates shown = {};
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        shown = shownStates(dialog);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(run.appeared);
    EXPECT_EQ(run.result, 0);
    return shown;
}

// Opens the dialog on a file, changes every control, ends it some way other than OK, and checks
// that the file is as it was to the byte and the dialog ended with 0.
void expectUntouchedAfter(const char* how, const std::function<void(HWND)>& end) {
    SettingsFileScope scope;
    const std::string handEdited = "TRUE\r\ntrue\r\r\n\r\n";
    writeFileBytes(settingsFile(), handEdited);
    const FILETIME before = lastWriteTime(settingsFile());
    Sleep(20);  // so a rewrite would show in the file's time as well
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        for (int control : {IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES}) clickButton(dialog, control);
        end(dialog);
    });
    EXPECT_TRUE(run.appeared) << how;
    EXPECT_TRUE(run.endedByScript) << how;
    EXPECT_EQ(run.result, 0) << how;
    EXPECT_EQ(fileBytes(settingsFile()), handEdited) << how;
    const FILETIME after = lastWriteTime(settingsFile());
    EXPECT_EQ(CompareFileTime(&before, &after), 0) << how;
}

// Each state question a button of the dialog receives, with what the dialog and file were then.
struct AskedState {
    int control;
    bool dialogShown;
    std::string fileThen;
};
std::vector<AskedState> askedStates;
WNDPROC originalButtonProc;  // the same for every button: they share the class

LRESULT CALLBACK noteStateQuestions(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BM_GETCHECK)
        askedStates.push_back({GetDlgCtrlID(button), IsWindowVisible(GetParent(button)) != FALSE,
                               fileBytes(settingsFile())});
    return CallWindowProcA(originalButtonProc, button, message, wParam, lParam);
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

TEST(SettingsDialog, OpensOnTheDefaultsWithoutAFileAndOnAllFalseWithAnEmptyOne) {
    const ShownStates none = statesShownFor(nullptr);
    EXPECT_EQ(none.fadeToBlack, BST_CHECKED);
    EXPECT_EQ(none.fadeToBackground, BST_UNCHECKED);
    EXPECT_EQ(none.lights, BST_CHECKED);
    EXPECT_EQ(none.fans, BST_CHECKED);
    EXPECT_EQ(none.rumbles, BST_UNCHECKED);

    const std::string empty;
    const ShownStates emptyFile = statesShownFor(&empty);
    EXPECT_EQ(emptyFile.fadeToBlack, BST_CHECKED);
    EXPECT_EQ(emptyFile.fadeToBackground, BST_UNCHECKED);
    EXPECT_EQ(emptyFile.lights, BST_UNCHECKED);
    EXPECT_EQ(emptyFile.fans, BST_UNCHECKED);
    EXPECT_EQ(emptyFile.rumbles, BST_UNCHECKED);
}

TEST(SettingsDialog, OpensOnWhatAHandEditedFileReadsAs) {
    // Fade To Background true; Lights false (its CR LF reads as a bare LF); Fans false; Rumbles true
    // from a last line that has no LF.
    const std::string handEdited = "true\r\r\ntrue\r\nfalse\r\r\ntrue\r";
    const ShownStates shown = statesShownFor(&handEdited);
    EXPECT_EQ(shown.fadeToBlack, BST_UNCHECKED);
    EXPECT_EQ(shown.fadeToBackground, BST_CHECKED);
    EXPECT_EQ(shown.lights, BST_UNCHECKED);
    EXPECT_EQ(shown.fans, BST_UNCHECKED);
    EXPECT_EQ(shown.rumbles, BST_CHECKED);

    // A last line without LF before the fourth stands for every setting after it.
    const std::string carried = "false\r\r\ntrue\r";
    const ShownStates carriedShown = statesShownFor(&carried);
    EXPECT_EQ(carriedShown.fadeToBlack, BST_CHECKED);
    EXPECT_EQ(carriedShown.fadeToBackground, BST_UNCHECKED);
    EXPECT_EQ(carriedShown.lights, BST_CHECKED);
    EXPECT_EQ(carriedShown.fans, BST_CHECKED);
    EXPECT_EQ(carriedShown.rumbles, BST_CHECKED);
}

TEST(SettingsDialog, OkWritesTheChoicesInTheExactForm) {
    SettingsFileScope scope;
    const DialogRun run = runSettingsDialog([](HWND dialog) {
        clickButton(dialog, IDC_FADE_TO_BACKGROUND);
        clickButton(dialog, IDC_LIGHTS);   // off
        clickButton(dialog, IDC_RUMBLES);  // on
        clickButton(dialog, IDOK);
    });
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");
}

TEST(SettingsDialog, OkWithNothingChangedNormalisesTheFileToWhatItReadAs) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), "true\r\r\nTRUE\r\r\ntrue\r\x1a" "true\r\r\n");
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDOK); }).result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "true\r\r\nfalse\r\r\ntrue\r\r\ntrue\r\r\n");

    writeFileBytes(settingsFile(), "");
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDOK); }).result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), kAllFalse);
}

TEST(SettingsDialog, EnterPressesOk) {
    SettingsFileScope scope;
    const DialogRun run = runSettingsDialog([](HWND dialog) {
        clickButton(dialog, IDC_FANS);  // off, and the focus is on a check box
        pressKey(dialog, VK_RETURN);
    });
    EXPECT_TRUE(run.endedByScript);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\ntrue\r\r\nfalse\r\r\nfalse\r\r\n");
}

TEST(SettingsDialog, OkEndsTheDialogFirstThenAsksTheFourControlsThenWrites) {
    SettingsFileScope scope;
    writeFileBytes(settingsFile(), kAllFalse);
    askedStates.clear();
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        for (int control : {IDC_FADE_TO_BLACK, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES})
            originalButtonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                GetDlgItem(dialog, control), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(noteStateQuestions)));
        clickButton(dialog, IDC_LIGHTS);
        askedStates.clear();  // only what OK asks counts
        clickButton(dialog, IDOK);
    });
    EXPECT_EQ(run.result, 1);
    ASSERT_EQ(askedStates.size(), 4u);
    const int order[] = {IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(askedStates[i].control, order[i]);
        EXPECT_FALSE(askedStates[i].dialogShown) << "EndDialog hides the dialog: it comes first";
        EXPECT_EQ(askedStates[i].fileThen, kAllFalse) << "nothing is written before the controls are read";
    }
    EXPECT_EQ(fileBytes(settingsFile()), "false\r\r\ntrue\r\r\nfalse\r\r\nfalse\r\r\n");
}

TEST(SettingsDialog, CancelEscapeAndTheCloseBoxLeaveTheFileAsItWasAndEndWithZero) {
    expectUntouchedAfter("Cancel", [](HWND dialog) { clickButton(dialog, IDCANCEL); });
    expectUntouchedAfter("Escape", [](HWND dialog) { pressKey(dialog, VK_ESCAPE); });
    expectUntouchedAfter("close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });

    SettingsFileScope scope;
    EXPECT_EQ(runSettingsDialog([](HWND dialog) { clickButton(dialog, IDCANCEL); }).result, 0);
    EXPECT_FALSE(fileExists(settingsFile())) << "Cancel creates no file";
}

TEST(SettingsDialog, TheTwoRadioButtonsExcludeEachOther) {
    SettingsFileScope scope;
    runSettingsDialog([](HWND dialog) {
        clickButton(dialog, IDC_FADE_TO_BACKGROUND);
        EXPECT_EQ(buttonState(dialog, IDC_FADE_TO_BACKGROUND), BST_CHECKED);
        EXPECT_EQ(buttonState(dialog, IDC_FADE_TO_BLACK), BST_UNCHECKED);
        clickButton(dialog, IDC_FADE_TO_BACKGROUND);  // a second click keeps it selected
        EXPECT_EQ(buttonState(dialog, IDC_FADE_TO_BACKGROUND), BST_CHECKED);
        clickButton(dialog, IDC_FADE_TO_BLACK);
        EXPECT_EQ(buttonState(dialog, IDC_FADE_TO_BLACK), BST_CHECKED);
        EXPECT_EQ(buttonState(dialog, IDC_FADE_TO_BACKGROUND), BST_UNCHECKED);
        // The check boxes are no part of the group.
        EXPECT_EQ(buttonState(dialog, IDC_LIGHTS), BST_CHECKED);
        clickButton(dialog, IDCANCEL);
    });
}

TEST(SettingsDialog, TabMovesAmongOkCancelTheCheckBoxesAndTheSelectedRadioButtonOnly) {
    // The template gives neither radio button a tab stop; the platform's button gives one to a radio
    // button while it is checked, so the keyboard reaches the Background choice through whichever of
    // the two is selected, and the arrow keys move the selection within the group.
    SettingsFileScope scope;
    std::vector<int> firstRound, toRadio, arrowed, secondRound;
    LRESULT blackAfterArrow = -1, backgroundAfterArrow = -1;
    const DialogRun run = runSettingsDialog([&](HWND dialog) {
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        firstRound = focusRoute(dialog, VK_TAB, 6);  // round to OK again
        toRadio = focusRoute(dialog, VK_TAB, 2);
        arrowed = focusRoute(dialog, VK_DOWN, 1);
        blackAfterArrow = buttonState(dialog, IDC_FADE_TO_BLACK);
        backgroundAfterArrow = buttonState(dialog, IDC_FADE_TO_BACKGROUND);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
        secondRound = focusRoute(dialog, VK_TAB, 6);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(run.appeared);
    EXPECT_EQ(firstRound,
              (std::vector<int>{IDCANCEL, IDC_FADE_TO_BLACK, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES, IDOK}));
    EXPECT_EQ(toRadio, (std::vector<int>{IDCANCEL, IDC_FADE_TO_BLACK}));
    EXPECT_EQ(arrowed, (std::vector<int>{IDC_FADE_TO_BACKGROUND}));
    EXPECT_EQ(blackAfterArrow, BST_UNCHECKED);
    EXPECT_EQ(backgroundAfterArrow, BST_CHECKED);
    EXPECT_EQ(secondRound,
              (std::vector<int>{IDCANCEL, IDC_FADE_TO_BACKGROUND, IDC_LIGHTS, IDC_FANS, IDC_RUMBLES, IDOK}));
}

TEST(SettingsDialog, AFileThatCannotBeWrittenStaysAsItWasAndOkStillGivesOne) {
    SettingsFileScope scope;
    const std::string before = "true\r\r\ntrue\r\r\ntrue\r\r\ntrue\r\r\n";
    writeFileBytes(settingsFile(), before);
    // Another program holds the file open and lets others read it but not write it.
    HANDLE holder = CreateFileA(settingsFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const DialogRun run = runSettingsDialog([](HWND dialog) {
        EXPECT_EQ(buttonState(dialog, IDC_RUMBLES), BST_CHECKED);  // reading is allowed
        clickButton(dialog, IDC_RUMBLES);
        clickButton(dialog, IDOK);
    });
    CloseHandle(holder);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(fileBytes(settingsFile()), before);
}
