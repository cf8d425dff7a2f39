#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <vector>

#include "logo/gl_api.h"
#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/projection.h"
#include "support/test_support.h"

namespace {
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
    void TearDown() override {
        state.logo.reset();
        OSMesaDestroyContext(context);
    }

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

TEST_F(FrameRender, TheLitStretchFollowsTheSpotInTheCyclesColourAndTheRestIsDark) {
    // Each spot with a point far round the outline from it, whose own place stays dark.
    for (const auto& [sweep, far] : {std::pair{20, 130}, std::pair{90, 200}, std::pair{150, 40}}) {
        // The spot saturates where sprites overlap; over the whole frame the light is the cycle's
        // orange: more red than green, more green than blue.
        const std::vector<long> total = draw(sweep);
        EXPECT_GT(brightnessAt(sweep), 150) << sweep;
        EXPECT_GT(total[0], total[1]) << sweep;
        EXPECT_GT(total[1], 2 * total[2]) << sweep;
        EXPECT_EQ(brightnessAt(far), 0) << sweep;
    }
    // Dark before the outline until -63 and from 276 on.
    for (std::int32_t sweep : {-100, -63, 276, 500}) EXPECT_EQ(draw(sweep)[3], 0) << sweep;
    EXPECT_GT(draw(-60)[3], 0);
}

// The sprites are wound to face the camera only once the frame's y flip has turned them.
TEST_F(FrameRender, CullingIsOnAndDropsNoSprite) {
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    draw(90);
    const std::vector<unsigned char> culled = pixels;
    glDisable(GL_CULL_FACE);
    draw(90);
    EXPECT_EQ(culled, pixels);
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
