#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "effects/effect_scripts.h"
#include "logo/colour.h"
#include "logo/frame_shading.h"
#include "logo/render_state.h"
#include "logo/sweep.h"
#include "support/test_support.h"

namespace {
// A logo whose last advance was at lastTick, with the spot at the given position.
std::unique_ptr<RenderState> stateAt(std::int32_t position, std::uint32_t lastTick) {
    auto state = std::make_unique<RenderState>();
    state->logo = std::make_unique<LogoAnimation>(SaverSettings{}, scriptedLogoClock({lastTick}, {0}), fakeEngineClient());
    state->logo->sweepPosition = position;
    return state;
}

// A cycle's draws for a clock whose scale draw lets a stale frame start writing and waits until it
// does: hue 0 (red), scale 1.
std::atomic<bool> frameWriting{false};
int drawsSoFar = 0;
std::uint32_t noTick() { return 0; }
int drawLettingAFrameIn() {
    if (++drawsSoFar % 2 == 1) return 0;
    frameWriting = true;
    while (frameWriting) std::this_thread::yield();  // the frame has taken the hand-over
    return 16383;
}
}  // namespace

TEST(LogoAnimation, NormalisesTheOutlineAndTakesOneTickAndOneHue) {
    LogoAnimation logo(SaverSettings{}, scriptedLogoClock({77}, {32767}), fakeEngineClient());
    const struct { int index; float x, y; } points[] = {{0, -5.1785712f, 2.75f}, {88, 3.6428571f, -1.8928572f}};
    for (const auto& p : points) {
        EXPECT_EQ(logo.outlineX[p.index], p.x) << p.index;
        EXPECT_EQ(logo.outlineY[p.index], p.y) << p.index;
    }
    EXPECT_EQ(logo.lastTick, 77u);
    EXPECT_EQ(logo.hue, 1.0f);
    EXPECT_EQ(scriptedDrawsTaken(), 1);
}

// A frame that read the previous cycle's hue writes that colour into the shared channels, and may do
// so between the moment a new cycle takes its colour and the moment it sends its light script.
TEST(Cycle, TheLightScriptCarriesTheCyclesOwnColourWhateverAFrameWritesMeanwhile) {
    LogoAnimation logo(SaverSettings{false, true, false, false}, scriptedLogoClock({0}, {0}), fakeEngineClient(1000));
    std::atomic<bool> cycleDone{false};
    for (int cycle = 0; cycle < 50; ++cycle) {
        cycleDone = false;
        std::thread staleFrame([&] {
            while (!frameWriting) std::this_thread::yield();
            frameWriting = false;
            while (!cycleDone) logo.red = 0.21f, logo.green = 0.7f, logo.blue = 0.21f;  // the last hue's green
        });
        startCycle(logo, LogoClock{noTick, drawLettingAFrameIn});
        cycleDone = true;
        staleFrame.join();
    }
    const std::string red = colourText(0.7f, 0.21f, 0.21f);
    ASSERT_EQ(fakeEngine().scripts.size(), 50u);
    for (const std::string& script : fakeEngine().scripts) EXPECT_NE(script.find(red), std::string::npos);
}

TEST(HueToColour, WorkedValuesSectorsAndRange) {
    const Colour unset = {-1.0f, -1.0f, -1.0f};
    const struct { float hue, red, green, blue; } worked[] = {
        {0.0f, 0.7f, 0.21f, 0.21f}, {1.0f, 0.7f, 0.21f, 0.21f}, {2731.0f / 32767, 0.7f, 0.455f, 0.21f},
        {16384.0f / 32767, 0.21f, 0.69996f, 0.7f}, {1.5f / 6, 0.455f, 0.7f, 0.21f}, {2.5f / 6, 0.21f, 0.7f, 0.455f},
        {4.5f / 6, 0.455f, 0.21f, 0.7f}, {5.5f / 6, 0.7f, 0.21f, 0.455f}, {0.5f, 0.21f, 0.7f, 0.7f},
    };
    for (const auto& w : worked) {
        const Colour c = colourFromHue(w.hue, unset);
        EXPECT_NEAR(c.red, w.red, 1e-4) << w.hue;
        EXPECT_NEAR(c.green, w.green, 1e-4) << w.hue;
        EXPECT_NEAR(c.blue, w.blue, 1e-4) << w.hue;
    }
    EXPECT_EQ(colourFromHue(1.0f, unset).green, kColourFloor);  // the ramps end exactly on the constants
    EXPECT_EQ(colourFromHue(0.5f, unset).green, kColourTop);
    for (int draw = 0; draw <= 32767; draw += 7) {
        const Colour c = colourFromHue(hueFromDraw(draw), unset);
        for (float channel : {c.red, c.green, c.blue}) ASSERT_TRUE(channel >= kColourFloor && channel <= kColourTop) << draw;
    }
    EXPECT_EQ(colourFromHue(-0.5f, Colour{0.1f, 0.2f, 0.3f}).green, 0.2f);  // a negative hue changes nothing
}

TEST(Sweep, AdvancesDropTheFractionTowardZeroAndMeasureAcrossATickWrap) {
    const struct { std::int32_t from; std::uint32_t elapsed; std::int32_t to; } steps[] = {
        {10, 3, 10}, {10, 10, 12}, {-100, 10, -97}, {-1, 3, 0}, {5, 2, 5}, {0, 4294967295u, 1073741823}};
    for (const auto& s : steps) EXPECT_EQ(advancedSweepPosition(s.from, s.elapsed), s.to) << s.from << "+" << s.elapsed;
    auto state = stateAt(0, 4294967290u);
    advanceSweep(*state, scriptedLogoClock({6, 9}, {}));
    EXPECT_EQ(state->logo->sweepPosition, 3);  // 12 ms elapsed
    EXPECT_EQ(state->logo->lastTick, 9u);      // the second reading, not the first
}

TEST(Sweep, FiveHundredStaysAndAnythingBeyondStartsExactlyOneCycle) {
    auto staying = stateAt(499, 0);
    advanceSweep(*staying, scriptedLogoClock({4, 4}, {}));
    EXPECT_EQ(staying->logo->sweepPosition, 500);
    for (std::uint32_t elapsed : {4u, 10000u}) {  // 501, and a long stall
        auto ending = stateAt(500, 0);
        // Draws in order: hue, scale, then offset x and y.
        advanceSweep(*ending, scriptedLogoClock({elapsed, elapsed}, {0, 32767, 0, 32767}));
        EXPECT_EQ(ending->logo->sweepPosition, kCycleStartPosition);
        EXPECT_EQ(ending->logo->hue, 0.0f);
        EXPECT_EQ(ending->logo->scale, 1.5f);
        EXPECT_EQ(ending->offsetX, -10.0f);
        EXPECT_EQ(ending->offsetY, 7.5f);
        EXPECT_EQ(ending->logo->red, kColourTop);
        EXPECT_EQ(scriptedDrawsTaken(), 4);
    }
    EXPECT_EQ(offsetXFromDraw(32767), 10.0f);
    EXPECT_EQ(offsetYFromDraw(0), -7.5f);
    EXPECT_EQ(scaleFromDraw(0), 0.5f);
}

// Which points are lit is drawn and checked in FrameRender; here the exact values behind it.
TEST(FrameShading, AlphaOverTheTailAndLightWithin62IndicesOfTheSpot) {
    const struct { int index; float sprite, line; } alphas[] = {
        {0, 0.75f, 0.3f}, {184, 0.75f, 0.3f}, {185, 0.71667f, 0.31111f}, {186, 0.68333f, 0.28889f},
        {190, 0.55f, 0.2f}, {199, 0.25f, 0.0f}, {200, 0.21667f, -0.02222f}, {206, 0.01667f, -0.15556f}};
    for (const auto& a : alphas) {
        EXPECT_NEAR(spriteAlphaAt(a.index), a.sprite, 1e-5) << a.index;
        EXPECT_NEAR(lineAlphaAt(a.index), a.line, 1e-5) << a.index;
    }
    EXPECT_EQ(lineAlphaAt(199), 0.0f);
    EXPECT_LT(spriteAlphaAt(207), 0.0f);  // not drawn
    EXPECT_NEAR(pointDistance(70, 40), 0.3333, 1e-4);
    EXPECT_EQ(shadedChannel(kColourTop, pointDistance(103, 40)), 0.0f);  // 63 away: exactly nothing
    EXPECT_GT(shadedChannel(kColourTop, pointDistance(102, 40)), 0.0f);
    EXPECT_LT(shadedChannel(kColourTop, pointDistance(40, 104)), 0.0f);
}
