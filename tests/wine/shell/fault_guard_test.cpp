#include <gtest/gtest.h>

#include "render/render_host.h"
#include "shell/entry.h"

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
