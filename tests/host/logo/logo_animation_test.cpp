#include <gtest/gtest.h>

#include "logo/logo_animation.h"
#include "support/effects_stand_in.h"
#include "support/scripted_clock.h"

TEST(LogoAnimation, NormalisesTheOutlineIntoSceneUnits) {
    LogoAnimation logo(false, true, true, false, scriptedLogoClock({77}, {32767}), noEffectsEngine());
    EXPECT_EQ(logo.outlineX[0], -5.1785712f);
    EXPECT_EQ(logo.outlineY[0], 2.75f);
    EXPECT_EQ(logo.outlineX[88], 3.6428571f);
    EXPECT_EQ(logo.outlineY[88], -1.8928572f);
    EXPECT_EQ(logo.outlineX[213], -2.2857144f);
    EXPECT_EQ(logo.outlineY[213], 0.10714286f);
    for (int i = 185; i < kOutlinePointCount; ++i) {
        EXPECT_EQ(logo.outlineX[i], logo.outlineX[i - 185]) << i;
        EXPECT_EQ(logo.outlineY[i], logo.outlineY[i - 185]) << i;
    }
}

TEST(LogoAnimation, TakesOneTickAndOneHueDrawAndKeepsTheSettings) {
    LogoAnimation logo(true, false, true, false, scriptedLogoClock({77}, {32767}), noEffectsEngine());
    EXPECT_EQ(logo.lastTick, 77u);
    EXPECT_EQ(logo.hue, 1.0f);
    EXPECT_EQ(scriptedClock().ticksTaken, 1);
    EXPECT_EQ(scriptedClock().drawsTaken, 1);
    EXPECT_TRUE(logo.fadeToBackground);
    EXPECT_FALSE(logo.lightsEnabled);
    EXPECT_TRUE(logo.fansEnabled);
    EXPECT_FALSE(logo.rumblesEnabled);
}

TEST(LogoAnimation, HueToColourRewritesTheChannelsFromTheHue) {
    LogoAnimation logo(false, true, true, false, scriptedLogoClock({0}, {0}), noEffectsEngine());
    logo.red = logo.green = logo.blue = 0.0f;
    hueToColour(logo);
    EXPECT_EQ(logo.red, 0.7f);
    EXPECT_EQ(logo.green, 0.21f);
    EXPECT_EQ(logo.blue, 0.21f);
}

TEST(LogoAnimation, WithoutAnEngineItRunsWithoutEffectsAndStillDisconnectsAtTheEnd) {
    {
        LogoAnimation logo(false, true, true, true, scriptedLogoClock({0}, {0}), noEffectsEngine(2011));
        EXPECT_EQ(effectsStandIn().connects, 1);
        EXPECT_EQ(logo.effectsResult, 2011);
        EXPECT_FALSE(logo.effectsReady);
        EXPECT_EQ(logo.effectsRoot, nullptr);
        EXPECT_EQ(logo.effectsEngine, nullptr);
        EXPECT_EQ(logo.effectsPlayer, nullptr);
        EXPECT_FALSE(logo.rumbleScript.empty());  // decoded all the same
        startCycle(logo, scriptedLogoClock({}, {0, 0}));
        EXPECT_EQ(effectsStandIn().disconnects, 0);
    }
    EXPECT_EQ(effectsStandIn().disconnects, 1);
}
