#include "logo/logo_animation.h"

#include "logo/colour.h"
#include "logo/float_rounding.h"
#include "logo/sweep.h"

float normalisedOutlineX(float drawingX) { return roundToFloat(roundToFloat(drawingX - 150.0) / 28.0); }

float normalisedOutlineY(float drawingY) { return roundToFloat(roundToFloat(drawingY - 100.0) / 28.0); }

LogoAnimation::LogoAnimation(const SaverSettings& settings, const LogoClock& clock,
                             const EffectsClient& client)
    : effects(settings, client) {
    for (int i = 0; i < kOutlinePointCount; ++i) {
        outlineX[i] = normalisedOutlineX(kOutlineTableX[i]);
        outlineY[i] = normalisedOutlineY(kOutlineTableY[i]);
    }
    lastTick = clock.tickCount();
    hue = hueFromDraw(clock.randomDraw());
    decodeEffectScripts(effects);
    openEffects(effects);
}

LogoAnimation::~LogoAnimation() { closeEffects(effects); }

void hueToColour(LogoAnimation& logo) {
    const Colour colour = colourFromHue(logo.hue, Colour{logo.red, logo.green, logo.blue});
    logo.red = colour.red;
    logo.green = colour.green;
    logo.blue = colour.blue;
}

void startCycle(LogoAnimation& logo, const LogoClock& clock) {
    logo.sweepPosition = kCycleStartPosition;
    const float hue = hueFromDraw(clock.randomDraw());
    logo.hue = hue;
    logo.scale = scaleFromDraw(clock.randomDraw());
    // The colour is taken from this cycle's own hue and handed to the effects as it is: a frame drawn
    // meanwhile rewrites the shared channels from whatever hue it read, which may be the last one.
    const Colour colour = colourFromHue(hue, Colour{0.0f, 0.0f, 0.0f});
    logo.red = colour.red;
    logo.green = colour.green;
    logo.blue = colour.blue;
    playCycleEffects(logo.effects, colour.red, colour.green, colour.blue);
}
