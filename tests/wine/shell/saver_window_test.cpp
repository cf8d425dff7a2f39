#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>

#include "support/message_pump.h"

namespace {
bool closedBy(TestSaverWindow& saver, UINT message, WPARAM wParam, LPARAM lParam) {
    SendMessageA(saver.handle(), message, wParam, lParam);
    return pumpUntil([&] { return !IsWindow(saver.handle()); }, 150);
}
}  // namespace

TEST(SaverWindow, TheFullScreenWindowStaysOnTopWithItsTitleAndWithoutACursor) {
    TestSaverWindow saver;
    HWND window = saver.handle();
    ASSERT_TRUE(window);
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HCURSOR), 0);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed")), 0);
    EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), window);  // the title stays
    EXPECT_EQ(renderHostProc(window, WM_SETCURSOR, 0, 0), 1);  // the cursor stays hidden
}

TEST(SaverWindow, WhatClosesTheFullScreenSaverAndWhatDoesNot) {
    // The rules are the host tests' part; here, that what they decide is done, in each kind of path.
    const struct { UINT message; WPARAM wParam; LPARAM lParam; bool closes; } cases[] = {
        {WM_KEYDOWN, VK_SPACE, 0, true},           {WM_ACTIVATEAPP, 1, 0, false},
        {WM_SYSCOMMAND, SC_MONITORPOWER, 2, true}, {WM_SYSCOMMAND, SC_SCREENSAVE, 0, false},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 1, false},     // resumed from a failure
        {WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0, false},  // the AC line did not change
    };
    // Many saver windows in one process, one after the other, each with its own state.
    for (const auto& c : cases) {
        TestSaverWindow saver;
        ASSERT_TRUE(saver.handle());
        SYSTEM_POWER_STATUS power;  // as a full-screen run captures it before its window
        saver.saver().acLineStatus = GetSystemPowerStatus(&power) ? power.ACLineStatus : 255;
        EXPECT_EQ(closedBy(saver, c.message, c.wParam, c.lParam), c.closes) << c.message << " " << c.wParam;
    }
    // On the newer family the shell's auto-play query is the platform's business.
    TestSaverWindow saver;
    EXPECT_FALSE(closedBy(saver, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0));
}

TEST(SaverWindow, ASecondFullScreenRunBringsTheFirstToTheFrontAndLeaves) {
    TestSaverWindow first;
    SaverShellState shell;
    EXPECT_EQ(runSaverWindow(shell, nullptr), 0);
    EXPECT_TRUE(IsWindow(first.handle()));
    EXPECT_EQ(FindWindowExA(nullptr, first.handle(), "WindowsScreenSaverClass", "Screen Saver"), nullptr);
}

TEST(SaverWindow, OnceClosingIsApprovedTicksDrawNothingAndInputIsLeftAlone) {
    TestSaverWindow saver;
    RenderSession& render = saver.saver().render;
    ASSERT_TRUE(pumpUntil([&] { return render.framesDrawn > 0; }));
    saver.saver().password.closeApproved = true;
    const std::uint32_t frames = render.framesDrawn;
    EXPECT_EQ(SendMessageA(saver.handle(), WM_TIMER, 1, 0), 0);
    EXPECT_FALSE(closedBy(saver, WM_KEYDOWN, VK_SPACE, 0));
    EXPECT_EQ(render.framesDrawn, frames);
}

TEST(SaverWindow, TheInputMethodIsSwitchedOffWhileTheSaverRuns) {
    TestSaverWindow saver;
    EXPECT_EQ(ImmGetContext(saver.handle()), nullptr);
    EXPECT_NE(saver.saver().savedImeContext, nullptr);  // what goes back at WM_DESTROY
}
