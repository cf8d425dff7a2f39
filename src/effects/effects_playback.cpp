#include "effects/effects_playback.h"

#include "effects/effect_scripts.h"
#include "effects/stored_scripts.h"

namespace {
void playScript(EffectsLink& link, const std::string& script) {
    // The text goes as its first byte and its length; the NUL behind it is not counted.
    link.effectsResult = link.effectsPlayer->playScript(
        link.effectsPlayer, script.c_str(), static_cast<std::uint32_t>(script.size()), 0, 0, 0,
        kEffectsCallTrailer);
}

template <typename Handle>
void releaseHandle(const EffectsClient& client, Handle* handle) {
    if (!handle) return;
    handle->release(handle);
    if (client.handleReleased) client.handleReleased();
}

template <std::size_t Size>
std::string decodeStored(const char (&stored)[Size]) {
    return decodeScript(stored, Size - 1);
}
}  // namespace

void decodeEffectScripts(EffectsLink& link) {
    link.lightScriptFadeToBlack = decodeStored(kStoredLightScriptFadeToBlack);
    link.lightScriptFadeToBackground = decodeStored(kStoredLightScriptFadeToBackground);
    link.fanScript = decodeStored(kStoredFanScript);
    link.rumbleScript = decodeStored(kStoredRumbleScript);
}

void openEffects(EffectsLink& link) {
    link.effectsRoot = nullptr;
    link.effectsEngine = nullptr;
    link.effectsPlayer = nullptr;

    link.effectsResult = link.client.connect(&link.effectsRoot, nullptr);
    if (link.effectsResult != kEffectsSuccess) {
        link.effectsReady = false;
        return;
    }
    link.effectsResult =
        link.effectsRoot->openEngine(link.effectsRoot, &link.effectsEngine, kEffectsApplicationName,
                                     kEffectsApplicationVersion, kEffectsCallTrailer);
    if (link.effectsResult != kEffectsSuccess) {
        link.effectsReady = false;
        return;
    }
    link.effectsResult = link.effectsEngine->createPlayer(link.effectsEngine, 0, 0, 0,
                                                          &link.effectsPlayer, kEffectsCallTrailer);
    if (link.effectsResult != kEffectsSuccess) link.effectsReady = false;
}

std::string prepareLightScript(const EffectsLink& link, float red, float green, float blue) {
    const std::string& script = link.settings.fadeToBackground ? link.lightScriptFadeToBackground
                                                                : link.lightScriptFadeToBlack;
    return substituteColour(script, colourText(red, green, blue));
}

void playCycleEffects(EffectsLink& link, float red, float green, float blue) {
    const std::string lightScript = prepareLightScript(link, red, green, blue);
    if (!link.effectsReady) return;
    if (link.settings.lightsEnabled) playScript(link, lightScript);
    if (link.settings.fansEnabled) playScript(link, link.fanScript);
    if (link.settings.rumblesEnabled) playScript(link, link.rumbleScript);
}

void closeEffects(EffectsLink& link) {
    releaseHandle(link.client, link.effectsPlayer);
    releaseHandle(link.client, link.effectsEngine);
    releaseHandle(link.client, link.effectsRoot);
    link.effectsPlayer = nullptr;
    link.effectsEngine = nullptr;
    link.effectsRoot = nullptr;
    // Also after a failed connect: the client finds no open connection then and does nothing.
    link.client.disconnect();
}
