#include <gtest/gtest.h>

#include <cstdlib>

#include "render/render_host.h"
#include "shell/entry.h"
#include "shell/fault_guard.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"

namespace {
DWORD windowThread;

// A clock that faults (a real access violation) as soon as the animation thread reads it, inside the
// running full-screen mode. The platform swallows faults inside window creation, so the window
// thread's own readings stay sound.
std::uint32_t faultingTickCount() {
    if (GetCurrentThreadId() != windowThread) {
        volatile int* volatile nowhere = nullptr;
        return static_cast<std::uint32_t>(*nowhere);
    }
    return GetTickCount();
}

// A process keeps its own copy of the system parameters it has read, so the notice is read afresh
// in a child process: 1 when it is on.
int noticeSeenByAFreshProcess() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running ? 1 : 0;
}
}  // namespace

TEST(FaultGuard, AnAccessViolationInsideAModeEndsTheProcessWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            windowThread = GetCurrentThreadId();
            setRenderHostClock(LogoClock{faultingTickCount, systemLogoClock().randomDraw});
            dispatchCommandLine(GetModuleHandleA(nullptr), "/s");
        },
        ::testing::ExitedWithCode(-1), "");
}

TEST(FaultGuard, OnTheOlderFamilyAFaultWithdrawsTheSaverRunningNotice) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Each death test runs the test body again in a fresh process, so every step with an effect
    // sits inside one: the notice goes on, the fault comes, and a fresh process reads the notice.
    EXPECT_EXIT(
        {
            UINT previous;
            SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
            exit(noticeSeenByAFreshProcess());
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            installFaultGuard();
            shellState.moduleInstance = GetModuleHandleA(nullptr);
            shellState.win9xPlatform = true;
            windowThread = GetCurrentThreadId();
            setRenderHostClock(LogoClock{faultingTickCount, systemLogoClock().randomDraw});
            runSaverWindow(nullptr);
        },
        ::testing::ExitedWithCode(-1), "");
    EXPECT_EXIT(exit(noticeSeenByAFreshProcess()), ::testing::ExitedWithCode(0), "");
}
