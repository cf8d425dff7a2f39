#include "effects/teardown_steps.h"

#include <atomic>

namespace {
std::atomic<std::uint32_t> stepsDone{0};
}  // namespace

void noteTeardownStep() { stepsDone++; }

std::uint32_t teardownStepsDone() { return stepsDone; }
