#include "logo/colour.h"

#include "logo/float_rounding.h"

Colour colourFromHue(float hue, Colour colour) {
    const double h = hue * 6.0;
    int sector = static_cast<int>(h);
    if (sector > 5) sector = 5;
    const double f = h - sector;
    // The ramps use the double 0.7, so their ends are exactly the float constants 0.21 and 0.7.
    const float rising = roundToFloat(0.7 * (1.0 - 0.7 * (1.0 - f)));
    const float falling = roundToFloat(0.7 * (1.0 - 0.7 * f));
    switch (sector) {
    case 0: colour = {kColourTop, rising, kColourFloor}; break;
    case 1: colour = {falling, kColourTop, kColourFloor}; break;
    case 2: colour = {kColourFloor, kColourTop, rising}; break;
    case 3: colour = {kColourFloor, falling, kColourTop}; break;
    case 4: colour = {rising, kColourFloor, kColourTop}; break;
    case 5: colour = {kColourTop, kColourFloor, falling}; break;
    default: break;
    }
    return colour;
}
