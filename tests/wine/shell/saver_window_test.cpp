#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>

#include "render/render_host.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"
#include "support/message_pump.h"

TEST(SaverWindow, TheRenderHostHandsOtherMessagesOnUnchanged) {
    TestSaverWindow saver;
    HWND window = saver.handle();
    ASSERT_TRUE(window);
    const LPARAM point = MAKELPARAM(10, 10);
    EXPECT_EQ(renderHostProc(window, WM_NCHITTEST, 0, point), DefWindowProcA(window, WM_NCHITTEST, 0, point));
    EXPECT_EQ(renderHostProc(window, WM_SETCURSOR, 0, 0), 1);  // the cursor stays hidden
    EXPECT_EQ(renderHostProc(window, WM_GETDLGCODE, 0, 0), DefWindowProcA(window, WM_GETDLGCODE, 0, 0));
}

TEST(SaverWindow, ClassAndFullScreenWindowAsTheDesktopExpects) {
    TestSaverWindow saver;
    HWND window = saver.handle();
    ASSERT_TRUE(window);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "WindowsScreenSaverClass");
    EXPECT_EQ(static_cast<UINT>(GetClassLongPtrA(window, GCL_STYLE)),
              static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC));
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HCURSOR), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & 0xFFFF0000u, 0x96000000u);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(bounds.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(bounds.right - bounds.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(bounds.bottom - bounds.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));

    // The title never changes.
    EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed")), 0);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
}

TEST(SaverWindow, OnceClosingIsApprovedTicksDrawNothing) {
    TestSaverWindow saver;
    HWND window = saver.handle();
    ASSERT_TRUE(pumpUntil([] { return renderHostCounters().framesDrawn > 0; }));
    shellState.closeApproved = true;
    const std::uint32_t frames = renderHostCounters().framesDrawn;
    EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 0);
    pumpFor(60);
    EXPECT_EQ(renderHostCounters().framesDrawn, frames);
    // Input then goes straight to the platform: a key no longer posts a close.
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    pumpFor(60);
    EXPECT_TRUE(IsWindow(window));
}

TEST(SaverWindow, AKeyOrAMonitorPowerCommandClosesTheFullScreenWindow) {
    for (const auto& close : {std::make_pair(WM_KEYDOWN, WPARAM{VK_SPACE}), std::make_pair(WM_SYSCOMMAND, WPARAM{SC_MONITORPOWER})}) {
        TestSaverWindow saver;
        HWND window = saver.handle();
        SendMessageA(window, close.first, close.second, 0);
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); })) << close.first;
    }
}

TEST(SaverWindow, TheInputMethodIsSwitchedOffWhileTheSaverRuns) {
    if (!GetModuleHandleA("IMM32.DLL")) GTEST_SKIP() << "no input method module in this process";
    TestSaverWindow saver;
    ASSERT_TRUE(saver.handle());
    EXPECT_EQ(ImmGetContext(saver.handle()), nullptr);
    EXPECT_NE(shellState.savedImeContext, nullptr);  // what goes back at WM_DESTROY
}
