#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "logo/gl_api.h"
#include "support/message_pump.h"

namespace {
std::uint32_t framesDrawn(TestSaverWindow& w) { return w.saver().render.framesDrawn; }
std::uint32_t advancesRun(TestSaverWindow& w) { return w.saver().render.animation.advancesRun; }

// A clock that dawdles inside every reading, so advances are slow enough to be caught in flight,
// and that knows whether one of its readings is under way at this moment.
std::atomic<int> readingsInFlight{0};
std::uint32_t slowTickCount() {
    readingsInFlight++;
    Sleep(40);
    const std::uint32_t tick = GetTickCount();
    readingsInFlight--;
    return tick;
}

// Gives every window made while it is installed a single-buffered pixel format just before its
// WM_CREATE, so the saver's own request cannot be set: a machine whose GL cannot serve the saver.
HHOOK formatSpoiler;
LRESULT CALLBACK spoilPixelFormat(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_CREATE) {
        HDC dc = GetDC(sent->hwnd);
        PIXELFORMATDESCRIPTOR single = {};
        single.nSize = sizeof single, single.nVersion = 1, single.cColorBits = 32;
        single.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &single), &single);
        ReleaseDC(sent->hwnd, dc);
    }
    return CallNextHookEx(formatSpoiler, code, wParam, lParam);
}
// What the process says through the debugger channel while this handler is installed.
std::string debugText;
LONG CALLBACK catchDebugString(EXCEPTION_POINTERS* raised) {
    if (raised->ExceptionRecord->ExceptionCode != DBG_PRINTEXCEPTION_C) return EXCEPTION_CONTINUE_SEARCH;
    debugText += reinterpret_cast<const char*>(raised->ExceptionRecord->ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_EXECUTION;
}
// A small window for a preview to fill, so that drawing costs next to nothing, away from the screen's corner.
HWND smallParent() {
    static HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 40, 30, 160, 120, 0, 0, 0, 0);
    return parent;
}
}  // namespace

TEST(RenderSession, MakesADoubleBufferedContextCurrentWithAViewportOverTheWindow) {
    TestSaverWindow saver(smallParent());
    PIXELFORMATDESCRIPTOR described = {};
    DescribePixelFormat(saver.saver().render.deviceContext, GetPixelFormat(saver.saver().render.deviceContext),
                        sizeof described, &described);
    EXPECT_TRUE(wglGetCurrentContext() && (described.dwFlags & PFD_DOUBLEBUFFER) && (described.dwFlags & PFD_SUPPORT_OPENGL));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[2] == 160 && viewport[3] == 120) << viewport[2] << "x" << viewport[3];

    // Each tick draws a frame and wakes at most one advance.
    ASSERT_TRUE(pumpUntil([&] { return framesDrawn(saver) >= 20 && advancesRun(saver) > 0; }));
    EXPECT_LE(advancesRun(saver), framesDrawn(saver));
    // Without messages no tick is drawn and nothing wakes the thread: a polling one would go on.
    Sleep(300);
    const std::uint32_t settled = advancesRun(saver);
    Sleep(200);
    EXPECT_EQ(advancesRun(saver), settled);
    saver.destroy();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(RenderSession, DestructionStopsTheAnimationThreadBeforeTheLogoGoes) {
    int caughtInFlight = 0;
    for (int round = 0; round < 10; ++round) {
        TestSaverWindow saver(smallParent(), false, LogoClock{slowTickCount, systemLogoClock().randomDraw});
        // Destroy while the animation thread is inside an advance whenever the timing allows.
        pumpUntil([&] { return readingsInFlight > 0 && advancesRun(saver) > 0; }, 2000);
        caughtInFlight += readingsInFlight > 0;
        saver.destroy();
        // Had the thread not been stopped and waited for, its advance would still be running.
        ASSERT_EQ(readingsInFlight, 0) << round;
        const std::uint32_t frames = framesDrawn(saver), advances = advancesRun(saver);
        renderTick(saver.saver().render);  // a tick queued before the window went away
        pumpUntil([] { return false; }, 60);
        EXPECT_TRUE(framesDrawn(saver) == frames && advancesRun(saver) == advances);
    }
    EXPECT_GT(caughtInFlight, 0);
}

TEST(RenderSession, WithoutAUsablePixelFormatTheWindowStaysBlackRunsAndClosesAsUsual) {
    formatSpoiler = SetWindowsHookExA(WH_CALLWNDPROC, spoilPixelFormat, nullptr, GetCurrentThreadId());
    void* catcher = AddVectoredExceptionHandler(1, catchDebugString);
    TestSaverWindow saver;
    RemoveVectoredExceptionHandler(catcher);
    UnhookWindowsHookEx(formatSpoiler);
    // The step that failed is told, with the system's words for why.
    EXPECT_NE(debugText.find("zovi: SetPixelFormat failed: "), std::string::npos) << debugText;
    EXPECT_TRUE(!saver.saver().render.drawing && !saver.saver().render.glContext && !wglGetCurrentContext());
    // The timer, the sweep and its cycles go on; nothing is drawn.
    ASSERT_TRUE(pumpUntil([&] { return advancesRun(saver) > 10; }));
    EXPECT_EQ(framesDrawn(saver), 0u);
    EXPECT_EQ(GetPixel(GetDC(nullptr), 200, 200), RGB(0, 0, 0));
    SendMessageA(saver.handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(saver.handle()); }));
}
