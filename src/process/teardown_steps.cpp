#include "process/teardown_steps.h"

#include <windows.h>

namespace {
volatile LONG stepsDone = 0;
}  // namespace

void noteTeardownStep() { InterlockedIncrement(&stepsDone); }

std::uint32_t teardownStepsDone() {
    return static_cast<std::uint32_t>(InterlockedCompareExchange(&stepsDone, 0, 0));
}
