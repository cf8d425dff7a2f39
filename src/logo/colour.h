#pragma once

// Every logo colour is muted: saturation and value 0.7, so no channel leaves 0.21..0.7.
constexpr float kColourTop = 0.7f;
constexpr float kColourFloor = 0.21f;

struct Colour {
    float red;
    float green;
    float blue;
};

// The colour of a hue in 0..1 (1 wraps round to red). A negative hue matches no sector and leaves
// the given colour as it is.
Colour colourFromHue(float hue, Colour unchanged);
