#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>

#include "shell/fault_guard.h"

namespace {
// A process keeps its own copy of the system parameters it read: the notice is read by a fresh one.
int noticeSeenByAFreshProcess() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running ? 1 : 0;
}

DWORD WINAPI faultOnThisThread(LPVOID) {
    volatile int* volatile nowhere = nullptr;
    return static_cast<DWORD>(*nowhere);
}

DWORD WINAPI throwOnThisThread(LPVOID) { throw std::bad_alloc(); }

[[noreturn]] void endOnAnotherThread(LPTHREAD_START_ROUTINE end) {
    HANDLE thread = CreateThread(nullptr, 0, end, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    std::exit(3);  // not reached when the guard ends the process
}
}  // namespace

TEST(FaultGuard, AFaultOrAnEscapingExceptionOnAnyThreadWithdrawsTheNoticeAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Each death test runs the test body again in a fresh process, so every step with an effect
    // sits inside one: the notice goes on, the fault comes, and a fresh process reads the notice.
    EXPECT_EXIT(
        {
            UINT previous;
            SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
            std::exit(noticeSeenByAFreshProcess());
        },
        ::testing::ExitedWithCode(1), "");
    for (LPTHREAD_START_ROUTINE end : {faultOnThisThread, throwOnThisThread}) {
        EXPECT_EXIT(
            {
                UINT previous;
                SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
                installFaultGuard(true);
                endOnAnotherThread(end);
            },
            ::testing::ExitedWithCode(-1), "^$");  // nothing said: no runtime error message either
        EXPECT_EXIT(std::exit(noticeSeenByAFreshProcess()), ::testing::ExitedWithCode(0), "");
    }
}
