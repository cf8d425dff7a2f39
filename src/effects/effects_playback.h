#pragma once
#include <cstdint>

#include "effects/effects_interface.h"

class LogoAnimation;

// How the logo reaches the engine: the saver's client on Windows, a stand-in in native tests.
struct EffectsClient {
    EffectsCode (*connect)(EffectsRoot** root, std::int32_t* value);
    void (*disconnect)();
};

constexpr const char* kEffectsApplicationName = "Zovi Logo Screensaver";
constexpr const char* kEffectsApplicationVersion = "1.0.0";

// Connects, opens an engine and creates a player; the first step that fails leaves its code in
// effectsResult and the logo without effects. Runs once, while the logo is built.
void openEffects(LogoAnimation& logo);

// Sends the enabled scripts for the colour the cycle has just taken: light, fan, rumble.
void playCycleEffects(LogoAnimation& logo);

// Releases the player, the engine and the root that were opened, then closes the connection.
void closeEffects(LogoAnimation& logo);
