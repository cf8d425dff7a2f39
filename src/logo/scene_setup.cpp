#include "logo/scene_setup.h"

#include "logo/gl_api.h"
#include "logo/sprite_texture.h"

void setUpScene(RenderState& state, const SaverSettings& settings, const LogoClock& clock,
                const EffectsClient& effects) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // Additive blending by alpha: overlapping sprites and line segments add up into a glow.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    state.spriteTexture = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    std::uint8_t spriteAlpha[kSpriteTexelCount];
    fillSpriteAlpha(spriteAlpha);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kSpriteTextureSize, kSpriteTextureSize, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, spriteAlpha);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, kSpriteTextureSize, kSpriteTextureSize, GL_ALPHA,
                      GL_UNSIGNED_BYTE, spriteAlpha);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, state.spriteTexture);

    glEnable(GL_LINE_SMOOTH);
    glLineWidth(10.0f);

    setUpLogo(state, settings, clock, effects);

    // Sprite quads are wound clockwise in outline coordinates; only the frame's y flip turns them to
    // face the camera.
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
}

void setUpLogo(RenderState& state, const SaverSettings& settings, const LogoClock& clock,
               const EffectsClient& effects) {
    state.offsetX = 0.0f;
    state.offsetY = 0.0f;
    state.logo.reset(new LogoAnimation(settings, clock, effects));
    startCycle(*state.logo, clock);
}
