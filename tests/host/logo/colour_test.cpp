#include <gtest/gtest.h>

#include "logo/colour.h"

namespace {
constexpr Colour kUnset = {-1.0f, -1.0f, -1.0f};
}

TEST(HueToColour, WorkedValues) {
    for (float hue : {0.0f, 1.0f}) {
        const Colour c = colourFromHue(hue, kUnset);
        EXPECT_EQ(c.red, 0.7f) << hue;
        EXPECT_EQ(c.green, 0.21f) << hue;
        EXPECT_EQ(c.blue, 0.21f) << hue;
    }
    const Colour orange = colourFromHue(2731.0f / 32767.0f, kUnset);
    EXPECT_EQ(orange.red, 0.7f);
    EXPECT_NEAR(orange.green, 0.455, 1e-4);
    EXPECT_EQ(orange.blue, 0.21f);

    const Colour cyan = colourFromHue(16384.0f / 32767.0f, kUnset);
    EXPECT_EQ(cyan.red, 0.21f);
    EXPECT_NEAR(cyan.green, 0.69996, 1e-5);
    EXPECT_EQ(cyan.blue, 0.7f);
}

TEST(HueToColour, EachSectorHoldsOneChannelAtTopAndOneAtFloor) {
    // Just inside each sector: which channel is at the top and which at the floor.
    const struct { int sector; float Colour::*top; float Colour::*floor; } sectors[] = {
        {0, &Colour::red, &Colour::blue},   {1, &Colour::green, &Colour::blue},
        {2, &Colour::green, &Colour::red},  {3, &Colour::blue, &Colour::red},
        {4, &Colour::blue, &Colour::green}, {5, &Colour::red, &Colour::green},
    };
    for (const auto& s : sectors) {
        const Colour c = colourFromHue(s.sector / 6.0f + 0.01f, kUnset);
        EXPECT_EQ(c.*s.top, kColourTop) << s.sector;
        EXPECT_EQ(c.*s.floor, kColourFloor) << s.sector;
    }
    // The ramps meet the constants exactly at the sector ends.
    EXPECT_EQ(colourFromHue(0.5f, kUnset).blue, kColourTop);
    EXPECT_EQ(colourFromHue(0.5f, kUnset).green, kColourTop);  // sector 3 opens with its falling ramp at the top
}

TEST(HueToColour, ChannelsStayWithinTheMutedRange) {
    for (int draw = 0; draw <= 32767; draw += 7) {
        const Colour c = colourFromHue(static_cast<float>(draw / 32767.0), kUnset);
        for (float channel : {c.red, c.green, c.blue}) {
            ASSERT_GE(channel, kColourFloor) << draw;
            ASSERT_LE(channel, kColourTop) << draw;
        }
    }
}

TEST(HueToColour, ANegativeHueLeavesTheColourAsItWas) {
    const Colour kept = colourFromHue(-0.5f, Colour{0.1f, 0.2f, 0.3f});
    EXPECT_EQ(kept.red, 0.1f);
    EXPECT_EQ(kept.green, 0.2f);
    EXPECT_EQ(kept.blue, 0.3f);
}
