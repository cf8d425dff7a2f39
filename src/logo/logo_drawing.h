#pragma once
#include "logo/logo_animation.h"
#include "logo/render_state.h"

// Draws one whole frame into the back buffer: camera, y flip, the cycle's offset, then the logo.
void drawFrame(RenderState& state);

// Draws the logo at the current matrix: a textured sprite per point, then one line through them all.
void drawLogo(LogoAnimation& logo);
