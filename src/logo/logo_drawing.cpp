#include "logo/logo_drawing.h"

#include "logo/float_rounding.h"
#include "logo/frame_shading.h"
#include "logo/gl_api.h"

void drawFrame(RenderState& state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 25.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    // The outline's y grows downwards; flipping stands it upright and turns the sprites to the front.
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(state.offsetX, state.offsetY, 0.0f);
    drawLogo(*state.logo);
}

void drawLogo(LogoAnimation& logo) {
    hueToColour(logo);
    const float scale = logo.scale;
    glScalef(scale, scale, scale);

    // One reading of the shared values per frame, so both passes agree.
    const std::int32_t sweep = logo.sweepPosition;
    const float red = logo.red;
    const float green = logo.green;
    const float blue = logo.blue;
    const float h = kSpriteHalfSize;

    glBegin(GL_QUADS);
    for (int i = 0; i < kOutlinePointCount; ++i) {
        const float alpha = spriteAlphaAt(i);
        if (!(alpha > 0.0f)) continue;
        const float distance = pointDistance(i, sweep);
        glColor4f(shadedChannel(red, distance), shadedChannel(green, distance),
                  shadedChannel(blue, distance), alpha);
        const float x = logo.outlineX[i];
        const float y = logo.outlineY[i];
        const float left = roundToFloat(x - h), right = roundToFloat(x + h);
        const float top = roundToFloat(y - h), bottom = roundToFloat(y + h);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(right, top, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(left, top, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(left, bottom, 0.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(right, bottom, 0.0f);
    }
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < kOutlinePointCount; ++i) {
        const float distance = pointDistance(i, sweep);
        glColor4f(shadedChannel(red, distance), shadedChannel(green, distance),
                  shadedChannel(blue, distance), lineAlphaAt(i));
        glVertex3f(logo.outlineX[i], logo.outlineY[i], 0.0f);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
}
