#include "logo/frame_geometry.h"

#include "logo/float_rounding.h"
#include "logo/frame_shading.h"

void computeFrameGeometry(const LogoAnimation& logo, FrameGeometry& frame) {
    const std::int32_t sweep = logo.sweepPosition;
    const float red = logo.red;
    const float green = logo.green;
    const float blue = logo.blue;
    const float h = kSpriteHalfSize;

    frame.spriteCount = 0;
    for (int i = 0; i < kOutlinePointCount; ++i) {
        const float alpha = spriteAlphaAt(i);
        if (!(alpha > 0.0f)) continue;
        const float distance = pointDistance(i, sweep);
        const float x = logo.outlineX[i];
        const float y = logo.outlineY[i];
        frame.sprites[frame.spriteCount++] = {
            shadedChannel(red, distance), shadedChannel(green, distance), shadedChannel(blue, distance), alpha,
            roundToFloat(x - h), roundToFloat(x + h), roundToFloat(y - h), roundToFloat(y + h)};
    }
    int i = 0;
    for (LineVertex& vertex : frame.line) {
        const float distance = pointDistance(i, sweep);
        vertex = {shadedChannel(red, distance), shadedChannel(green, distance), shadedChannel(blue, distance),
                  lineAlphaAt(i)};
        ++i;
    }
}
