#pragma once
#include "logo/logo_animation.h"

// Everything a frame of the logo sends to GL, computed without GL: the colour, alpha and corners of
// each sprite and the colour and alpha of each point of the line. drawLogo sends these and nothing
// else, and the micro-benchmark times this very computation.
struct SpriteQuad {
    float red, green, blue, alpha;
    float left, right, top, bottom;
};

struct LineVertex {
    float red, green, blue, alpha;
};

struct FrameGeometry {
    int spriteCount;  // the sprites whose alpha is above 0, in outline order
    SpriteQuad sprites[kOutlinePointCount];
    LineVertex line[kOutlinePointCount];  // at the outline's points, all of them
};

// One reading of the shared values (sweep position and colour), so both passes agree.
void computeFrameGeometry(const LogoAnimation& logo, FrameGeometry& frame);
