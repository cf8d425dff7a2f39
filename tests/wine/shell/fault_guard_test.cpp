#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>

#include "process/fault_guard.h"

namespace {
void setNotice(BOOL on) {
    UINT previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on, &previous, 0);
}

// A process keeps its own copy of the system parameters it read: the notice is read by a fresh one.
[[noreturn]] void exitWithTheNoticeAFreshProcessSees() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    std::exit(running ? 1 : 0);
}

DWORD WINAPI faultOnThisThread(LPVOID) { return static_cast<DWORD>(*static_cast<volatile int*>(nullptr)); }
DWORD WINAPI throwOnThisThread(LPVOID) { throw std::bad_alloc(); }
}  // namespace

// Each death test runs the test body again in a fresh process, so every step with an effect sits
// inside one: the notice goes on, the fault comes, and a fresh process reads the notice.
TEST(FaultGuard, AFaultOrAnEscapingExceptionOnAnyThreadWithdrawsTheNoticeAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((setNotice(TRUE), exitWithTheNoticeAFreshProcessSees()), ::testing::ExitedWithCode(1), "");
    for (LPTHREAD_START_ROUTINE end : {faultOnThisThread, throwOnThisThread}) {
        EXPECT_EXIT((setNotice(TRUE), installFaultGuard(true),
                     WaitForSingleObject(CreateThread(nullptr, 0, end, nullptr, 0, nullptr), INFINITE), std::exit(3)),
                    ::testing::ExitedWithCode(-1), "^$");  // nothing said: no runtime error message either
        EXPECT_EXIT(exitWithTheNoticeAFreshProcessSees(), ::testing::ExitedWithCode(0), "");
    }
}
