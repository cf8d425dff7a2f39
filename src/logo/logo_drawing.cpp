#include "logo/logo_drawing.h"

#include "logo/frame_geometry.h"
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
    FrameGeometry frame;
    computeFrameGeometry(logo, frame);

    glBegin(GL_QUADS);
    for (int s = 0; s < frame.spriteCount; ++s) {
        const SpriteQuad& q = frame.sprites[s];
        glColor4f(q.red, q.green, q.blue, q.alpha);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(q.right, q.top, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(q.left, q.top, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(q.left, q.bottom, 0.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(q.right, q.bottom, 0.0f);
    }
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < kOutlinePointCount; ++i) {
        const LineVertex& v = frame.line[i];
        glColor4f(v.red, v.green, v.blue, v.alpha);
        glVertex3f(logo.outlineX[i], logo.outlineY[i], 0.0f);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
}
