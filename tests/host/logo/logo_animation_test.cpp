#include <gtest/gtest.h>

#include "logo/logo_animation.h"
#include "support/fake_engine.h"
#include "support/scripted_clock.h"

TEST(LogoAnimation, NormalisesTheOutlineIntoSceneUnits) {
    LogoAnimation logo(SaverSettings{}, scriptedLogoClock({77}, {32767}), fakeEngineClient());
    const struct { int index; float x, y; } points[] = {
        {0, -5.1785712f, 2.75f}, {88, 3.6428571f, -1.8928572f}, {213, -2.2857144f, 0.10714286f}};
    for (const auto& p : points) {
        EXPECT_EQ(logo.outlineX[p.index], p.x) << p.index;
        EXPECT_EQ(logo.outlineY[p.index], p.y) << p.index;
    }
    for (int i = 185; i < kOutlinePointCount; ++i) {
        EXPECT_EQ(logo.outlineX[i], logo.outlineX[i - 185]) << i;
        EXPECT_EQ(logo.outlineY[i], logo.outlineY[i - 185]) << i;
    }
    // One tick and one hue draw, before the first cycle replaces the hue.
    EXPECT_EQ(logo.lastTick, 77u);
    EXPECT_EQ(logo.hue, 1.0f);
    EXPECT_EQ(scriptedClock().ticksTaken, 1);
    EXPECT_EQ(scriptedClock().drawsTaken, 1);
}

TEST(LogoAnimation, HueToColourRewritesTheChannelsFromTheHue) {
    LogoAnimation logo(SaverSettings{}, scriptedLogoClock({0}, {0}), fakeEngineClient());
    logo.red = logo.green = logo.blue = 0.0f;
    hueToColour(logo);
    EXPECT_EQ(logo.red, 0.7f);
    EXPECT_EQ(logo.green, 0.21f);
    EXPECT_EQ(logo.blue, 0.21f);
}
