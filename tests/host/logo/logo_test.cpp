#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

#include "effects/effect_scripts.h"
#include "logo/colour.h"
#include "logo/frame_geometry.h"
#include "logo/frame_shading.h"
#include "logo/gl_api.h"
#include "logo/logo_drawing.h"
#include "logo/render_state.h"
#include "logo/scene_setup.h"
#include "logo/sprite_texture.h"
#include "logo/sweep.h"
#include "render/projection.h"
#include "support/test_support.h"

namespace {
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
int drawLettingAFrameIn() {
    if (++drawsSoFar % 2 == 1) return 0;
    frameWriting = true;
    while (frameWriting) std::this_thread::yield();  // the frame has taken the hand-over
    return 16383;
}

constexpr int kWidth = 320, kHeight = 200;

// A real frame of the logo drawn natively off-screen, with the scene set up as the saver sets it.
class FrameRender : public ::testing::Test {
protected:
    void SetUp() override {
        context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
        ASSERT_TRUE(context && OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, kWidth, kHeight));
        // The first cycle: hue 2731/32767 is orange (0.7, 0.455, 0.21); scale 1.
        setUpScene(state, SaverSettings{}, scriptedLogoClock({0}, {0, 2731, 16383}), fakeEngineClient());
        setUpProjection(kWidth, kHeight);
    }
    void TearDown() override { state.logo.reset(), OSMesaDestroyContext(context); }

    // Draws a frame with the spot at sweep; gives the sum of each channel and the number of lit pixels.
    std::vector<long> draw(std::int32_t sweep) {
        state.logo->sweepPosition = sweep;
        drawFrame(state);
        glFinish();
        std::vector<long> total(4, 0);
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            for (int c = 0; c < 3; ++c) total[c] += pixels[i + c];
            total[3] += pixels[i] + pixels[i + 1] + pixels[i + 2] > 0;
        }
        return total;
    }

    // The brightness of the brightest pixel within two of where outline point i lands.
    int brightnessAt(int i) const {
        GLdouble model[16], projection[16], x, y, z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(state.logo->outlineX[i], state.logo->outlineY[i], 0.0, model, projection, viewport, &x, &y, &z);
        int best = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const unsigned char* p = &pixels[((static_cast<int>(y) + dy) * kWidth + static_cast<int>(x) + dx) * 4];
                best = std::max(best, p[0] + p[1] + p[2]);
            }
        return best;
    }

    OSMesaContext context = nullptr;
    std::vector<unsigned char> pixels = std::vector<unsigned char>(kWidth * kHeight * 4, 0);
    RenderState state;
};
}  // namespace

TEST(LogoAnimation, NormalisesTheOutlineAndTakesOneTickAndOneHue) {
    LogoAnimation logo(SaverSettings{}, scriptedLogoClock({77}, {32767}), fakeEngineClient());
    EXPECT_EQ(std::make_pair(logo.outlineX[0], logo.outlineY[0]), std::make_pair(-5.1785712f, 2.75f));
    EXPECT_EQ(std::make_pair(logo.outlineX[88], logo.outlineY[88]), std::make_pair(3.6428571f, -1.8928572f));
    for (int i = 185; i < kOutlinePointCount; ++i) EXPECT_EQ(logo.outlineX[i], logo.outlineX[i - 185]) << i;  // the tail
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
        startCycle(logo, LogoClock{[] { return 0u; }, drawLettingAFrameIn});
        cycleDone = true;
        staleFrame.join();
    }
    const std::string red = colourText(0.7f, 0.21f, 0.21f);
    ASSERT_EQ(fakeEngine().scripts.size(), 50u);
    for (const std::string& script : fakeEngine().scripts) EXPECT_NE(script.find(red), std::string::npos);
}

TEST(HueToColour, WorkedValuesAndEverySector) {
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
    EXPECT_EQ(colourFromHue(-0.5f, Colour{0.1f, 0.2f, 0.3f}).green, 0.2f);  // a negative hue changes nothing
}

// The position advances by a quarter per millisecond, the fraction dropped toward zero every time;
// 500 stays, anything beyond starts exactly one cycle, however long the stall.
TEST(Sweep, AdvancesMeasureAcrossATickWrapAndStartOneCycleBeyond500) {
    const struct { std::int32_t from; std::uint32_t elapsed; std::int32_t to; } steps[] = {
        {10, 3, 10}, {10, 10, 12}, {-100, 10, -97}, {-1, 3, 0}, {5, 2, 5}, {0, 4294967295u, 1073741823}};
    for (const auto& s : steps) EXPECT_EQ(advancedSweepPosition(s.from, s.elapsed), s.to) << s.from << "+" << s.elapsed;
    auto state = stateAt(0, 4294967290u);
    advanceSweep(*state, scriptedLogoClock({6, 9}, {}));
    EXPECT_EQ(state->logo->sweepPosition, 3);  // 12 ms elapsed
    EXPECT_EQ(state->logo->lastTick, 9u);      // the second reading, not the first
    state = stateAt(499, 0);
    advanceSweep(*state, scriptedLogoClock({4, 4}, {}));
    EXPECT_EQ(state->logo->sweepPosition, 500);
    for (std::uint32_t elapsed : {4u, 10000u}) {
        auto ending = stateAt(500, 0);
        // Draws in order: hue, scale, then offset x and y.
        advanceSweep(*ending, scriptedLogoClock({elapsed, elapsed}, {0, 32767, 0, 32767}));
        EXPECT_EQ(ending->logo->sweepPosition, -100);
        const LogoAnimation& logo = *ending->logo;
        EXPECT_EQ(std::make_tuple(logo.hue.load(), logo.scale.load(), logo.red.load(), ending->offsetX.load(),
                                  ending->offsetY.load()), std::make_tuple(0.0f, 1.5f, kColourTop, -10.0f, 7.5f));
        EXPECT_EQ(scriptedDrawsTaken(), 4);
    }
    EXPECT_EQ(std::make_tuple(offsetXFromDraw(32767), offsetYFromDraw(0), scaleFromDraw(0)), std::tuple(10.0f, -7.5f, 0.5f));
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
    FrameGeometry frame{};  // a sprite for each of points 0 to 206, a line vertex for every point
    computeFrameGeometry(*stateAt(0, 0)->logo, frame);
    EXPECT_TRUE(frame.spriteCount == 207 && frame.line[213].alpha == lineAlphaAt(213));
}

// A soft round spot: mirrored left to right and top to bottom, never brighter away from the middle
// (231), and 0 on its border so no quad shows an edge.
TEST(SpriteTexture, ASoftSpotMirroredBothWaysFadingToNothingAtItsBorder) {
    std::uint8_t alpha[kSpriteTexelCount];
    fillSpriteAlpha(alpha);
    auto at = [&alpha](int x, int y) { return alpha[y * kSpriteTextureSize + x]; };
    for (int y = 0, last = kSpriteTextureSize - 1; y <= last; ++y)
        for (int x = 0; x <= last; ++x)
            EXPECT_TRUE(at(x, y) == at(last - x, y) && at(x, y) == at(x, last - y) && ((x % last && y % last) || !at(x, y)) &&
                        (x > 6 || at(x, y) <= at(x + 1, y)) && (y > 6 || at(x, y) <= at(x, y + 1))) << x << "," << y;
    EXPECT_EQ(at(7, 7), 231);
}

// The sprites face the camera only once the frame's y flip has turned them: culling, which the scene
// turns on, drops none of them, and culling the faces towards the camera would drop them all.
TEST_F(FrameRender, TheLitStretchFollowsTheSpotInTheCyclesColourAndTheRestIsDark) {
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    // Each spot with a point far round the outline from it, whose own place stays dark.
    for (const auto& [sweep, far] : {std::pair{20, 130}, std::pair{90, 200}, std::pair{150, 40}}) {
        // The spot saturates where sprites overlap; over the whole frame the light is the cycle's
        // orange: more red than green, more green than blue.
        const std::vector<long> total = draw(sweep);
        EXPECT_GT(brightnessAt(sweep), 150) << sweep;
        EXPECT_GT(total[0], total[1]) << sweep;
        EXPECT_GT(total[1], 2 * total[2]) << sweep;
        EXPECT_EQ(brightnessAt(far), 0) << sweep;
        const std::vector<unsigned char> culled = pixels;
        glDisable(GL_CULL_FACE);
        draw(sweep);
        EXPECT_EQ(culled, pixels) << sweep;
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        draw(sweep);
        glCullFace(GL_BACK);
        EXPECT_NE(culled, pixels) << sweep;
    }
    // Dark before the outline until -63 and from 276 on.
    for (std::int32_t sweep : {-100, -63, 276, 500}) EXPECT_EQ(draw(sweep)[3], 0) << sweep;
    EXPECT_GT(draw(-60)[3], 0);
}

TEST_F(FrameRender, AWindowNoPixelsHighGetsAViewportOnePixelHighAndAnAspectOfItsWidth) {
    setUpProjection(300, 0);
    GLint viewport[4];
    GLdouble projection[16];  // gluPerspective puts f / aspect in the first cell and f in the sixth
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_NEAR(projection[5] / projection[0], 300.0, 1e-3);
}
