#include <gtest/gtest.h>

#include "support/message_pump.h"

namespace {
// The platform's prompt, standing in: it counts its calls, may be closed at again while it is open,
// and answers as the test says.
int prompts = 0;
BOOL answer = FALSE;
bool closeWhileOpen = false;
BOOL WINAPI promptForPassword(HWND owner) {
    prompts++;
    if (closeWhileOpen) SendMessageA(owner, WM_CLOSE, 0, 0);  // refused: the prompt is open
    return answer;
}

// A close handled at once, with no other message taken meanwhile: the check runs inside it.
bool closed(TestSaverWindow& saver) {
    SendMessageA(saver.handle(), WM_CLOSE, 0, 0);
    return !IsWindow(saver.handle());
}
}  // namespace

// The older family's check before closing, with its prompt; loading the platform's modules is the
// end-to-end tests' part.
TEST(Password, TheFirstCloseAsksARefusalKeepsTheSaverAndNoCloseIsAskedTwice) {
    TestSaverWindow saver(nullptr, true);
    saver.saver().shell.verifyPasswordFn = promptForPassword;
    EXPECT_FALSE(closed(saver));
    EXPECT_FALSE(closed(saver));  // within 200 ms of the refusal: refused without asking
    EXPECT_EQ(prompts, 1);
    Sleep(250);
    closeWhileOpen = true;
    EXPECT_FALSE(closed(saver));
    EXPECT_EQ(prompts, 2);  // the close during the prompt did not ask again
    closeWhileOpen = false;
    Sleep(250);
    // The shell's auto-play query is cancelled while a verifier is loaded, and asks to close.
    EXPECT_EQ(SendMessageA(saver.handle(), RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0), 1);
    answer = TRUE;
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(saver.handle()); }, 2000));
    EXPECT_EQ(prompts, 3);
    EXPECT_TRUE(saver.saver().password.closeApproved);
}
