#include "process/process_watchdog.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "process/effects_last_word.h"
#include "process/saver_running_notice.h"
#include "process/teardown_steps.h"

namespace {
enum class Phase { idle, startingUp, running, tearingDown };

// The process's one watchdog.
struct ProcessWatchdog {
    std::atomic<Phase> phase{Phase::idle};
    HANDLE phaseChanged = nullptr;  // auto-reset: set at every change of phase
    bool olderFamily = false;  // whether a saver-running notice may need withdrawing
};

ProcessWatchdog& processWatchdog() {
    static ProcessWatchdog watchdog;
    return watchdog;
}

[[noreturn]] void endProcess(int exitCode) {
    setSaverRunning(processWatchdog().olderFamily, FALSE);
    giveEffectsTheirLastWord();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));  // not reached: termination does not return
}

// Looks at the teardown four times a second; the process ends once no step has completed for 3 s.
[[noreturn]] void watchTheTeardown(ProcessWatchdog& watchdog) {
    std::uint32_t stepsSeen = teardownStepsDone();
    DWORD lastStep = GetTickCount();
    for (;;) {
        WaitForSingleObject(watchdog.phaseChanged, 250);
        const std::uint32_t steps = teardownStepsDone();
        if (steps != stepsSeen) {
            stepsSeen = steps;
            lastStep = GetTickCount();
        } else if (GetTickCount() - lastStep >= kTeardownStallMs) {
            endProcess(0);
        }
    }
}

DWORD WINAPI watch(LPVOID) {
    ProcessWatchdog& watchdog = processWatchdog();
    for (;;) {
        switch (watchdog.phase.load()) {
        case Phase::startingUp:
            if (WaitForSingleObject(watchdog.phaseChanged, kStartUpLimitMs) == WAIT_TIMEOUT &&
                watchdog.phase == Phase::startingUp)
                endProcess(-1);
            break;
        case Phase::tearingDown: watchTheTeardown(watchdog);
        default: WaitForSingleObject(watchdog.phaseChanged, INFINITE); break;
        }
    }
}

void enterPhase(Phase phase, bool olderFamily) {
    ProcessWatchdog& watchdog = processWatchdog();
    watchdog.olderFamily = olderFamily;
    if (!watchdog.phaseChanged) {
        watchdog.phaseChanged = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        HANDLE thread = watchdog.phaseChanged ? CreateThread(nullptr, 0, watch, nullptr, 0, nullptr) : nullptr;
        if (thread) CloseHandle(thread);
    }
    watchdog.phase = phase;
    if (watchdog.phaseChanged) SetEvent(watchdog.phaseChanged);
}
}  // namespace

void watchStartUp(bool olderFamily) { enterPhase(Phase::startingUp, olderFamily); }

void startUpDone() {
    Phase startingUp = Phase::startingUp;
    if (processWatchdog().phase.compare_exchange_strong(startingUp, Phase::running))
        SetEvent(processWatchdog().phaseChanged);
}

void watchTeardown(bool olderFamily) { enterPhase(Phase::tearingDown, olderFamily); }
