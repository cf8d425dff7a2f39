#pragma once
#include <cstdint>
#include <string>

#include "link/effects_interface.h"
#include "settings/saver_settings.h"

// How the link reaches the engine: the saver's client on Windows, a stand-in in native tests.
struct EffectsClient {
    EffectsCode (*connect)(EffectsRoot** root, std::int32_t* value);
    void (*disconnect)();
    // Told each time a release of an engine handle has returned, however long it took: the saver
    // counts these as steps of its teardown. May be null.
    void (*handleReleased)() = nullptr;
};

constexpr const char* kEffectsApplicationName = "Zovi Logo Screensaver";
constexpr const char* kEffectsApplicationVersion = "1.0.0";

// The effects half of the logo: the decoded scripts, the engine's handles with the result of the
// latest call, and the settings that choose what is sent. The handles, effectsReady and the settings
// are written before the animation thread starts and only read afterwards; effectsResult is written
// by whichever thread makes a call and read by nobody, so none of them needs a lock.
struct EffectsLink {
    EffectsLink(const SaverSettings& chosen, const EffectsClient& linkClient)
        : settings(chosen), client(linkClient) {}
    EffectsLink(const EffectsLink&) = delete;
    EffectsLink& operator=(const EffectsLink&) = delete;

    // In decoding order, so that they go in the reverse order: rumble, fan, the two light scripts.
    std::string lightScriptFadeToBlack;
    std::string lightScriptFadeToBackground;
    std::string fanScript;
    std::string rumbleScript;
    EffectsRoot* effectsRoot = nullptr;
    EffectsCode effectsResult = 0;
    EffectsEngine* effectsEngine = nullptr;
    EffectsPlayer* effectsPlayer = nullptr;
    bool effectsReady = true;  // until a set-up step fails
    const SaverSettings settings;
    const EffectsClient client;
};

// Decodes the four stored scripts: light for fade to black, light for fade to background, fan, rumble.
void decodeEffectScripts(EffectsLink& link);

// Connects, opens an engine and creates a player; the first step that fails leaves its code in
// effectsResult and the link without effects. Runs once, while the logo is built.
void openEffects(EffectsLink& link);

// The light script the link sends for a cycle of the given colour: the fade-to-background or the
// fade-to-black one, as the settings choose, coloured.
std::string prepareLightScript(const EffectsLink& link, float red, float green, float blue);

// Sends the enabled scripts for a cycle of the given colour: light, fan, rumble.
void playCycleEffects(EffectsLink& link, float red, float green, float blue);

// Releases the player, the engine and the root that were opened, then closes the connection.
void closeEffects(EffectsLink& link);
