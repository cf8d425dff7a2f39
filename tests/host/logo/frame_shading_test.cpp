#include <gtest/gtest.h>

#include "logo/colour.h"
#include "logo/frame_shading.h"
#include "logo/outline_table.h"

TEST(FrameShading, SpritesFadeOverTheTailAndStopAt207) {
    EXPECT_EQ(spriteAlphaAt(0), 0.75f);
    EXPECT_EQ(spriteAlphaAt(184), 0.75f);
    EXPECT_NEAR(spriteAlphaAt(185), 0.7167, 1e-4);
    EXPECT_NEAR(spriteAlphaAt(190), 0.55, 1e-6);
    EXPECT_NEAR(spriteAlphaAt(199), 0.25, 1e-6);
    EXPECT_NEAR(spriteAlphaAt(206), 0.0167, 1e-4);
    EXPECT_GT(spriteAlphaAt(206), 0.0f);
    for (int i = 207; i < kOutlinePointCount; ++i) EXPECT_FALSE(spriteAlphaAt(i) > 0.0f) << i;
}

TEST(FrameShading, LineFadesFromJustAboveItsAlphaToZeroAt199AndBelowAfter) {
    EXPECT_EQ(lineAlphaAt(184), 0.3f);
    EXPECT_NEAR(lineAlphaAt(185), 0.3111, 1e-4);
    EXPECT_GT(lineAlphaAt(185), lineAlphaAt(184));
    EXPECT_NEAR(lineAlphaAt(186), 0.2889, 1e-4);
    EXPECT_NEAR(lineAlphaAt(190), 0.2, 1e-6);
    EXPECT_EQ(lineAlphaAt(199), 0.0f);
    EXPECT_NEAR(lineAlphaAt(200), -0.0222, 1e-4);
    EXPECT_LT(lineAlphaAt(213), 0.0f);
}

TEST(FrameShading, DarkeningReachesTheTopChannelExactlyAt63Indices) {
    EXPECT_EQ(pointDistance(40, 40), 0.0f);
    EXPECT_EQ(shadedChannel(kColourTop, pointDistance(103, 40)), 0.0f);
    EXPECT_EQ(shadedChannel(kColourTop, pointDistance(0, 63)), 0.0f);
    EXPECT_GT(shadedChannel(kColourTop, pointDistance(102, 40)), 0.0f);
    EXPECT_LT(shadedChannel(kColourTop, pointDistance(104, 40)), 0.0f);
    // 30 indices away a 0.21 channel is already gone, so the colour is purer than at the spot.
    EXPECT_NEAR(pointDistance(70, 40), 0.3333, 1e-4);
    EXPECT_LT(shadedChannel(kColourFloor, pointDistance(70, 40)), 0.0f);
}

TEST(FrameShading, EveryFrameIsDarkOutsideTheLitStretchOfACycle) {
    // Each cycle opens dark until -63 and ends with a dark pause from 276 on.
    for (std::int32_t sweep : {-100, -64, -63, 276, 300, 500}) {
        for (int i = 0; i < kOutlinePointCount; ++i)
            ASSERT_LE(shadedChannel(kColourTop, pointDistance(i, sweep)), 0.0f) << sweep << " " << i;
    }
    EXPECT_GT(shadedChannel(kColourTop, pointDistance(0, -62)), 0.0f);
    EXPECT_GT(shadedChannel(kColourTop, pointDistance(213, 275)), 0.0f);
}
