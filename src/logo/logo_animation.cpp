#include "logo/logo_animation.h"

#include "effects/effect_scripts.h"
#include "effects/stored_scripts.h"
#include "logo/colour.h"
#include "logo/sweep.h"
#include "render/render_state.h"

float normalisedOutlineX(float drawingX) {
    const float centred = static_cast<float>(drawingX - 150.0);
    const float scene = static_cast<float>(centred / 28.0);
    return scene;
}

float normalisedOutlineY(float drawingY) {
    const float centred = static_cast<float>(drawingY - 100.0);
    const float scene = static_cast<float>(centred / 28.0);
    return scene;
}

LogoAnimation::LogoAnimation(bool fadeToBackgroundSetting, bool lightsSetting, bool fansSetting,
                             bool rumblesSetting, const LogoClock& clock,
                             const EffectsClient& effects)
    : effectsReady(true),
      fadeToBackground(fadeToBackgroundSetting),
      lightsEnabled(lightsSetting),
      fansEnabled(fansSetting),
      rumblesEnabled(rumblesSetting),
      effectsClient(effects) {
    for (int i = 0; i < kOutlinePointCount; ++i) {
        outlineX[i] = normalisedOutlineX(kOutlineTableX[i]);
        outlineY[i] = normalisedOutlineY(kOutlineTableY[i]);
    }
    lastTick = clock.tickCount();
    hue = hueFromDraw(clock.randomDraw());
    lightScriptFadeToBlack =
        decodeScript(kStoredLightScriptFadeToBlack, sizeof kStoredLightScriptFadeToBlack - 1);
    lightScriptFadeToBackground = decodeScript(kStoredLightScriptFadeToBackground,
                                               sizeof kStoredLightScriptFadeToBackground - 1);
    fanScript = decodeScript(kStoredFanScript, sizeof kStoredFanScript - 1);
    rumbleScript = decodeScript(kStoredRumbleScript, sizeof kStoredRumbleScript - 1);
    openEffects(*this);
}

// The scripts are members declared in the order they were decoded, so they go in reverse order
// after this body: rumble, fan, the two light scripts.
LogoAnimation::~LogoAnimation() { closeEffects(*this); }

void hueToColour(LogoAnimation& logo) {
    const Colour colour = colourFromHue(logo.hue, Colour{logo.red, logo.green, logo.blue});
    logo.red = colour.red;
    logo.green = colour.green;
    logo.blue = colour.blue;
}

void startCycle(LogoAnimation& logo, const LogoClock& clock) {
    logo.sweepPosition = kCycleStartPosition;
    logo.hue = hueFromDraw(clock.randomDraw());
    logo.scale = scaleFromDraw(clock.randomDraw());
    logo.red = 0.0f;
    logo.green = 0.0f;
    logo.blue = 0.0f;
    hueToColour(logo);
    playCycleEffects(logo);
}

void advanceSweep(RenderState& state, const LogoClock& clock) {
    LogoAnimation& logo = *state.logo;
    const std::uint32_t elapsed = clock.tickCount() - logo.lastTick;
    logo.sweepPosition = advancedSweepPosition(logo.sweepPosition, elapsed);
    // A fresh reading: time lost to truncation is not carried over.
    logo.lastTick = clock.tickCount();
    if (!sweepHasEnded(logo.sweepPosition)) return;
    startCycle(logo, clock);
    state.offsetX = offsetXFromDraw(clock.randomDraw());
    state.offsetY = offsetYFromDraw(clock.randomDraw());
}
