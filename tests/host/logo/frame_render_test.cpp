#include <GL/osmesa.h>
#include <gtest/gtest.h>

#include <vector>

#include "logo/gl_api.h"
#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/projection.h"
#include "support/fake_engine.h"
#include "support/scripted_clock.h"

namespace {
constexpr int kWidth = 320;
constexpr int kHeight = 200;

struct Pixel {
    int red, green, blue;
    int brightness() const { return red + green + blue; }
};

// A real frame of the logo drawn natively off-screen, with the scene set up as the saver sets it.
class FrameRender : public ::testing::Test {
protected:
    void SetUp() override {
        context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
        ASSERT_NE(context, nullptr);
        pixels.assign(kWidth * kHeight * 4, 0);
        ASSERT_TRUE(OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, kWidth, kHeight));
        // The first cycle: hue 2731/32767 is orange (0.7, 0.455, 0.21); scale 1.
        setUpScene(state, SaverSettings{}, scriptedLogoClock({0}, {0, 2731, 16383}), fakeEngineClient());
        setUpProjection(kWidth, kHeight);
    }
    void TearDown() override {
        state.logo.reset();
        OSMesaDestroyContext(context);
    }

    void draw(std::int32_t sweep) {
        state.logo->sweepPosition = sweep;
        drawFrame(state);
        glFinish();
    }

    // Window position of outline point i under the matrices the last frame used.
    void project(int i, int& x, int& y) const {
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(state.logo->outlineX[i], state.logo->outlineY[i], 0.0, model, projection,
                   viewport, &wx, &wy, &wz);
        x = static_cast<int>(wx);
        y = static_cast<int>(wy);
    }

    Pixel at(int x, int y) const {
        const unsigned char* p = &pixels[(y * kWidth + x) * 4];
        return Pixel{p[0], p[1], p[2]};
    }

    // The brightest pixel within a few pixels of (x, y).
    Pixel brightestNear(int x, int y) const {
        Pixel best{0, 0, 0};
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const Pixel p = at(x + dx, y + dy);
                if (p.brightness() > best.brightness()) best = p;
            }
        return best;
    }

    Pixel frameTotal() const {
        Pixel total{0, 0, 0};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Pixel p = at(x, y);
                total = Pixel{total.red + p.red, total.green + p.green, total.blue + p.blue};
            }
        return total;
    }

    int litPixels() const {
        int lit = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) lit += at(x, y).brightness() > 0;
        return lit;
    }

    OSMesaContext context = nullptr;
    std::vector<unsigned char> pixels;
    RenderState state;
};
}  // namespace

TEST_F(FrameRender, TheLitStretchFollowsTheSpotInTheCyclesColour) {
    for (std::int32_t sweep : {20, 90, 150}) {
        draw(sweep);
        int x, y;
        project(sweep, x, y);
        EXPECT_GT(brightestNear(x, y).brightness(), 150) << sweep;
        // The spot itself saturates where sprites overlap; over the whole frame the light is the
        // cycle's orange: more red than green, more green than blue.
        const Pixel total = frameTotal();
        EXPECT_GT(total.red, total.green) << sweep;
        EXPECT_GT(total.green, 2 * total.blue) << sweep;

        // Every point more than 63 indices away from the spot adds nothing of its own.
        int darkIndex = (sweep + 107) % 184;
        project(darkIndex, x, y);
        int nearestLit = 1 << 30;
        for (int i = sweep - 62; i <= sweep + 62; ++i) {
            if (i < 0 || i >= 214) continue;
            int lx, ly;
            project(i, lx, ly);
            nearestLit = std::min(nearestLit, (lx - x) * (lx - x) + (ly - y) * (ly - y));
        }
        if (nearestLit > 30 * 30) {
            EXPECT_EQ(brightestNear(x, y).brightness(), 0) << darkIndex;
        }
    }
}

TEST_F(FrameRender, TheFrameIsBlackWhileTheSpotIsFarBeforeOrAfterTheOutline) {
    for (std::int32_t sweep : {-100, -63, 276, 500}) {
        draw(sweep);
        EXPECT_EQ(litPixels(), 0) << sweep;
    }
    draw(-60);
    EXPECT_GT(litPixels(), 0);
}

TEST_F(FrameRender, WithoutTheYFlipTheSpritesAreCulledAndOnlyTheLineShows) {
    auto drawUnflipped = [this](bool culling) {
        culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 25.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        glTranslatef(state.offsetX, state.offsetY, 0.0f);
        drawLogo(*state.logo);
        glFinish();
        return pixels;
    };
    state.logo->sweepPosition = 90;
    const std::vector<unsigned char> culled = drawUnflipped(true);
    EXPECT_GT(litPixels(), 0);  // the line
    const std::vector<unsigned char> unculled = drawUnflipped(false);
    EXPECT_NE(culled, unculled);  // the sprites were there to be culled

    glEnable(GL_CULL_FACE);
    draw(90);
    const std::vector<unsigned char> flippedCulled = pixels;
    glDisable(GL_CULL_FACE);
    draw(90);
    EXPECT_EQ(flippedCulled, pixels);  // flipped, every sprite faces the camera
}
