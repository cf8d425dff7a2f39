#include "effects/effects_playback.h"

#include <string>

#include "effects/effect_scripts.h"
#include "logo/logo_animation.h"

namespace {
void playScript(LogoAnimation& logo, const std::string& script) {
    // The text goes as its first byte and its length; the NUL behind it is not counted.
    logo.effectsResult = logo.effectsPlayer->playScript(
        logo.effectsPlayer, script.c_str(), static_cast<std::uint32_t>(script.size()), 0, 0, 0,
        kEffectsCallTrailer);
}
}  // namespace

void openEffects(LogoAnimation& logo) {
    logo.effectsRoot = nullptr;
    logo.effectsEngine = nullptr;
    logo.effectsPlayer = nullptr;

    logo.effectsResult = logo.effectsClient.connect(&logo.effectsRoot, nullptr);
    if (logo.effectsResult != kEffectsSuccess) {
        logo.effectsReady = false;
        return;
    }
    logo.effectsResult =
        logo.effectsRoot->openEngine(logo.effectsRoot, &logo.effectsEngine, kEffectsApplicationName,
                                     kEffectsApplicationVersion, kEffectsCallTrailer);
    if (logo.effectsResult != kEffectsSuccess) {
        logo.effectsReady = false;
        return;
    }
    logo.effectsResult = logo.effectsEngine->createPlayer(logo.effectsEngine, 0, 0, 0,
                                                          &logo.effectsPlayer, kEffectsCallTrailer);
    if (logo.effectsResult != kEffectsSuccess) logo.effectsReady = false;
}

void playCycleEffects(LogoAnimation& logo) {
    const std::string lightScript = prepareLightScript(logo);
    if (!logo.effectsReady) return;
    if (logo.lightsEnabled) playScript(logo, lightScript);
    if (logo.fansEnabled) playScript(logo, logo.fanScript);
    if (logo.rumblesEnabled) playScript(logo, logo.rumbleScript);
}

void closeEffects(LogoAnimation& logo) {
    if (logo.effectsPlayer) logo.effectsPlayer->release(logo.effectsPlayer);
    if (logo.effectsEngine) logo.effectsEngine->release(logo.effectsEngine);
    if (logo.effectsRoot) logo.effectsRoot->release(logo.effectsRoot);
    logo.effectsPlayer = nullptr;
    logo.effectsEngine = nullptr;
    logo.effectsRoot = nullptr;
    // Also after a failed connect: the client finds no open connection then and does nothing.
    logo.effectsClient.disconnect();
}
