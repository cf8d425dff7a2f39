#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "logo/gl_api.h"
#include "render/render_host.h"
#include "support/message_pump.h"

namespace {
std::uint32_t framesDrawn() { return renderHostCounters().framesDrawn; }
std::uint32_t advancesRun() { return renderHostCounters().advancesRun; }

// A clock that dawdles inside every reading, so advances are slow enough to be caught in flight,
// and that knows whether one of its readings is under way at this moment.
std::atomic<int> readingsInFlight{0};
std::atomic<int> readingsTaken{0};
std::uint32_t slowTickCount() {
    readingsInFlight++;
    readingsTaken++;
    Sleep(40);
    const std::uint32_t tick = GetTickCount();
    readingsInFlight--;
    return tick;
}
const LogoClock kSlowClock = {slowTickCount, systemLogoClock().randomDraw};

struct ClockRestorer {
    ~ClockRestorer() { setRenderHostClock(systemLogoClock()); }
};
}  // namespace

TEST(RenderHost, CreationMakesADoubleBufferedContextCurrentOnTheWindowThread) {
    TestSaverWindow saver;
    ASSERT_TRUE(saver.handle());
    EXPECT_NE(wglGetCurrentContext(), nullptr);
    HDC dc = GetDC(saver.handle());
    const int format = GetPixelFormat(dc);
    ASSERT_GT(format, 0);
    PIXELFORMATDESCRIPTOR described = {};
    DescribePixelFormat(dc, format, sizeof described, &described);
    EXPECT_TRUE(described.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(described.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_EQ(described.iPixelType, PFD_TYPE_RGBA);
    ReleaseDC(saver.handle(), dc);

    // The viewport covers the whole window, measured once at creation.
    RECT bounds;
    GetWindowRect(saver.handle(), &bounds);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], bounds.right - bounds.left);
    EXPECT_EQ(viewport[3], bounds.bottom - bounds.top);
}

TEST(RenderHost, TicksDrawFramesAndEachWakesAtMostOneAdvance) {
    const std::uint32_t frames = framesDrawn(), advances = advancesRun();
    TestSaverWindow saver;
    ASSERT_TRUE(pumpUntil([&] { return framesDrawn() >= frames + 20 && advancesRun() > advances; }));
    saver.destroy();
    EXPECT_LE(advancesRun() - advances, framesDrawn() - frames);
}

TEST(RenderHost, AWindowNoPixelsHighGetsAViewportOnePixelHigh) {
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 0,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent);
    {
        TestSaverWindow preview(parent);
        ASSERT_TRUE(preview.handle());
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[3], 1);
        // gluPerspective puts f / aspect in the first cell and f in the sixth: aspect = width / 1.
        GLdouble projection[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        EXPECT_NEAR(projection[5] / projection[0], viewport[2], 1e-3);
        // It still animates.
        const std::uint32_t frames = framesDrawn();
        EXPECT_TRUE(pumpUntil([&] { return framesDrawn() > frames + 3; }));
    }
    DestroyWindow(parent);
}

TEST(RenderHost, DestructionStopsTheAnimationThreadBeforeTheLogoGoes) {
    ClockRestorer restorer;
    setRenderHostClock(kSlowClock);
    int caughtInFlight = 0;
    for (int round = 0; round < 25; ++round) {
        TestSaverWindow saver;
        ASSERT_TRUE(saver.handle());
        // Destroy while the animation thread is inside an advance whenever the timing allows.
        pumpUntil([] { return readingsInFlight > 0 && advancesRun() > 0; }, 2000);
        caughtInFlight += readingsInFlight > 0;
        saver.destroy();
        // Had the thread not been stopped and waited for, its advance would still be running.
        ASSERT_EQ(readingsInFlight, 0) << round;
        EXPECT_EQ(wglGetCurrentContext(), nullptr);

        const std::uint32_t frames = framesDrawn(), advances = advancesRun();
        const int readings = readingsTaken;
        pumpFor(60);
        EXPECT_EQ(framesDrawn(), frames);
        EXPECT_EQ(advancesRun(), advances);
        EXPECT_EQ(readingsTaken, readings);
    }
    EXPECT_GT(caughtInFlight, 0);
}

TEST(RenderHost, ATickAfterDestructionDrawsNothing) {
    TestSaverWindow saver;
    HWND window = saver.handle();
    saver.destroy();
    const std::uint32_t frames = framesDrawn();
    EXPECT_EQ(renderHostProc(window, WM_TIMER, 1, 0), 0);
    EXPECT_EQ(framesDrawn(), frames);
}

TEST(RenderHost, TheAnimationThreadSleepsWhenNoTicksCome) {
    TestSaverWindow saver;
    ASSERT_TRUE(pumpUntil([] { return advancesRun() > 0; }));
    // No messages are taken, so no tick is drawn and nothing wakes the thread: a polling thread
    // would go on advancing meanwhile.
    pumpFor(30);
    const std::uint32_t frames = framesDrawn();
    const std::uint32_t advances = advancesRun();
    Sleep(400);
    EXPECT_EQ(framesDrawn(), frames);
    EXPECT_LE(advancesRun(), advances + 1);  // at most the advance of the last tick drawn
    const std::uint32_t settled = advancesRun();
    Sleep(200);
    EXPECT_EQ(advancesRun(), settled);
}
