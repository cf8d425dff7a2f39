#include <gtest/gtest.h>

#include "logo/colour.h"
#include "logo/sweep.h"
#include "logo/render_state.h"
#include "support/fake_engine.h"
#include "support/scripted_clock.h"

namespace {
// A logo whose last advance was at lastTick, with the spot at the given position.
std::unique_ptr<RenderState> stateAt(std::int32_t position, std::uint32_t lastTick) {
    std::unique_ptr<RenderState> state(new RenderState);
    state->logo.reset(new LogoAnimation(SaverSettings{}, scriptedLogoClock({lastTick}, {0}), fakeEngineClient()));
    state->logo->sweepPosition = position;
    return state;
}
}  // namespace

TEST(Sweep, DropsTheFractionTowardZeroOnBothSides) {
    EXPECT_EQ(advancedSweepPosition(10, 3), 10);    // 10.75: the 3 ms are lost
    EXPECT_EQ(advancedSweepPosition(10, 10), 12);   // 12.5
    EXPECT_EQ(advancedSweepPosition(-100, 10), -97);  // -97.5 goes forward, to -97
    EXPECT_EQ(advancedSweepPosition(-1, 3), 0);     // -0.25
    EXPECT_EQ(advancedSweepPosition(5, 2), 5);      // 5.5
    EXPECT_EQ(advancedSweepPosition(0, 4294967295u), 1073741823);
}

TEST(Sweep, AdvanceMeasuresAcrossATickWrapAndReadsTheTickAgain) {
    auto state = stateAt(0, 4294967290u);
    advanceSweep(*state, scriptedLogoClock({6, 9}, {}));
    EXPECT_EQ(state->logo->sweepPosition, 3);  // 12 ms elapsed
    EXPECT_EQ(state->logo->lastTick, 9u);      // the second reading, not the first
    EXPECT_EQ(scriptedClock().drawsTaken, 0);
}

TEST(Sweep, FiveHundredStaysAndFiveHundredAndOneStartsACycleInTheSameAdvance) {
    auto staying = stateAt(499, 0);
    advanceSweep(*staying, scriptedLogoClock({4, 4}, {}));
    EXPECT_EQ(staying->logo->sweepPosition, 500);
    EXPECT_EQ(scriptedClock().drawsTaken, 0);

    auto ending = stateAt(500, 0);
    // Draws in order: hue, scale, then offset x and y.
    advanceSweep(*ending, scriptedLogoClock({4, 4}, {0, 32767, 0, 32767}));
    EXPECT_EQ(ending->logo->sweepPosition, kCycleStartPosition);
    EXPECT_EQ(ending->logo->hue, 0.0f);
    EXPECT_EQ(ending->logo->scale, 1.5f);
    EXPECT_EQ(ending->offsetX, -10.0f);
    EXPECT_EQ(ending->offsetY, 7.5f);
    EXPECT_EQ(scriptedClock().drawsTaken, 4);
}

TEST(Sweep, ALongStallStartsExactlyOneCycle) {
    auto state = stateAt(0, 1000);
    advanceSweep(*state, scriptedLogoClock({11000, 11000}, {100, 200, 300, 400}));
    EXPECT_EQ(state->logo->sweepPosition, kCycleStartPosition);
    EXPECT_EQ(scriptedClock().drawsTaken, 4);
    advanceSweep(*state, scriptedLogoClock({11010, 11010}, {}));
    EXPECT_EQ(state->logo->sweepPosition, -97);
}

TEST(Cycle, DrawsHueThenScaleAndRecolours) {
    LogoAnimation logo(SaverSettings{}, scriptedLogoClock({0}, {5}), fakeEngineClient());
    startCycle(logo, scriptedLogoClock({}, {32767, 0}));
    EXPECT_EQ(logo.sweepPosition, kCycleStartPosition);
    EXPECT_EQ(logo.hue, 1.0f);
    EXPECT_EQ(logo.scale, 0.5f);
    EXPECT_EQ(logo.red, kColourTop);
    EXPECT_EQ(logo.green, kColourFloor);
    EXPECT_EQ(logo.blue, kColourFloor);
    EXPECT_EQ(scriptedClock().ticksTaken, 0);

    startCycle(logo, scriptedLogoClock({}, {16384, 32767}));
    EXPECT_FLOAT_EQ(logo.hue, 16384.0f / 32767.0f);
    EXPECT_EQ(logo.scale, 1.5f);
}

TEST(Cycle, RandomDrawsMapOntoTheirRanges) {
    EXPECT_EQ(offsetXFromDraw(0), -10.0f);
    EXPECT_EQ(offsetXFromDraw(32767), 10.0f);
    EXPECT_EQ(offsetYFromDraw(0), -7.5f);
    EXPECT_EQ(offsetYFromDraw(32767), 7.5f);
    EXPECT_EQ(scaleFromDraw(0), 0.5f);
    EXPECT_EQ(scaleFromDraw(32767), 1.5f);
    EXPECT_EQ(hueFromDraw(32767), 1.0f);
}
