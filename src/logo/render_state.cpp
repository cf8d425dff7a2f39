#include "logo/render_state.h"

#include "logo/sweep.h"

void advanceSweep(RenderState& state, const LogoClock& clock) {
    LogoAnimation& logo = *state.logo;
    const std::uint32_t elapsed = clock.tickCount() - logo.lastTick;
    logo.sweepPosition = advancedSweepPosition(logo.sweepPosition, elapsed);
    // A fresh reading: time lost to truncation is not carried over.
    logo.lastTick = clock.tickCount();
    if (!sweepHasEnded(logo.sweepPosition)) return;
    startCycle(logo, clock);
    state.offsetX = offsetXFromDraw(clock.randomDraw());
    state.offsetY = offsetYFromDraw(clock.randomDraw());
}
