#include <gtest/gtest.h>

#include <cmath>

#include "effects/connect_codes.h"
#include "effects/effect_scripts.h"
#include "effects/script_key.h"
#include "effects/stored_scripts.h"
#include "support/test_support.h"

namespace {
using Calls = std::vector<std::string>;
const Calls kOpening = {"connect", "openEngine Zovi Logo Screensaver 1.0.0 10000", "createPlayer 0 0 0 10000"};
}  // namespace

TEST(DecodeScript, HexPairsXoredWithTheKeyCyclingFromEachScriptsStart) {
    const unsigned char key[4] = {kScriptKeyByte0, kScriptKeyByte1, kScriptKeyByte2, kScriptKeyByte3};
    // Lower case is not hex: "a" counts as 42, so "a0" is 42 * 16 modulo 256. An odd last character is ignored.
    const struct { std::string stored; std::vector<unsigned> bytes; } cases[] = {
        {"FF0A9C0000", {0xFF, 0x0A, 0x9C, 0x00, 0x00}}, {"a0", {(42 * 16) % 256}}, {"0000000", {0, 0, 0}}, {"4", {}}};
    for (const auto& c : cases) {
        const std::string decoded = decodeScript(c.stored.data(), c.stored.size());
        ASSERT_EQ(decoded.size(), c.bytes.size()) << c.stored;
        for (std::size_t i = 0; i < decoded.size(); ++i)
            EXPECT_EQ(static_cast<unsigned char>(decoded[i]), c.bytes[i] ^ key[i % 4]) << c.stored << " " << i;
    }
    // The link holds the repository's scripts, stored unreadable.
    EffectsLink link(SaverSettings{}, fakeEngineClient());
    decodeEffectScripts(link);
    EXPECT_EQ(link.lightScriptFadeToBlack, repositoryScript("light_fade_to_black.txt"));
    EXPECT_EQ(link.lightScriptFadeToBackground, repositoryScript("light_fade_to_background.txt"));
    EXPECT_EQ(link.fanScript, repositoryScript("fan.txt"));
    EXPECT_EQ(link.rumbleScript, repositoryScript("rumble.txt"));
    EXPECT_NE(std::string(kStoredFanScript, 8), "7A6F7669");  // not the plain text "zovi"
}

TEST(ColourText, TruncatesTheSinglePrecisionChannelsAndHoldsAnyChannel) {
    EXPECT_EQ(colourText(0.7f, 0.21f, 0.5f), "69 20 50");
    EXPECT_EQ(colourText(0.21f, 0.455f, 0.7f), "20 45 69");
    // Found by fuzzing: a channel beyond 32 bits of percent was an undefined conversion.
    EXPECT_EQ(colourText(1.6e26f, -1.6e26f, std::nanf("")), "2147483647 -2147483648 0");
}

TEST(SubstituteColour, ReplacesOnlyTheFirstTokenOfTheChosenLightScript) {
    EXPECT_EQ(substituteColour("colour _VALUE_ then _VALUE_", "69 20 50"), "colour 69 20 50 then _VALUE_");
    EXPECT_EQ(substituteColour("x_VALUE_", "1 2 3"), "x1 2 3");
    EXPECT_EQ(substituteColour("_VALUE", "69 20 50"), "_VALUE");
    for (bool background : {false, true}) {
        EffectsLink link(SaverSettings{background, true, true, true}, fakeEngineClient());
        decodeEffectScripts(link);
        const std::string& chosen = background ? link.lightScriptFadeToBackground : link.lightScriptFadeToBlack;
        ASSERT_NE(chosen.find("_VALUE_"), std::string::npos);
        EXPECT_EQ(prepareLightScript(link, 0.21f, 0.7f, 0.455f), substituteColour(chosen, "20 69 45")) << background;
    }
}

// One failed start of each kind; which platform result is of which kind the Windows build holds.
TEST(ConnectCodes, EachKindOfFailedServerStartHasItsCode) {
    const struct { std::uint32_t hresult; EffectsCode code; } kinds[] = {
        {0x80040154, 2011}, {0x8007000E, 2003}, {0x80004027, 2015}, {0x80004005, 2014}, {0, 2014}};
    for (const auto& k : kinds) EXPECT_EQ(connectCodeForServerResult(static_cast<std::int32_t>(k.hresult)), k.code);
}

// A send that fails (4444) stops neither the other scripts nor the next cycle.
TEST(EffectsPlayback, EachCycleSendsTheEnabledScriptsInOrderAndTeardownReleasesInReverse) {
    const struct { SaverSettings settings; EffectsCode sent; } cases[] = {
        {{false, true, true, true}, 4444}, {{true, true, false, false}, 1000}, {{false, false, true, false}, 1000},
        {{true, false, false, true}, 1000}, {{false, false, false, false}, 1000},  // still opened and released
    };
    for (const auto& c : cases) {
        EffectsLink link(c.settings, fakeEngineClient(1000));
        fakeEngine().playResult = c.sent;
        decodeEffectScripts(link);
        openEffects(link);
        EXPECT_EQ(fakeEngine().calls, kOpening);
        for (const float red : {0.7f, 0.21f}) {
            fakeEngine().calls.clear();
            fakeEngine().scripts.clear();
            playCycleEffects(link, red, 0.21f, 0.5f);
            Calls texts, sends;
            if (c.settings.lightsEnabled) texts.push_back(prepareLightScript(link, red, 0.21f, 0.5f));
            if (c.settings.fansEnabled) texts.push_back(link.fanScript);
            if (c.settings.rumblesEnabled) texts.push_back(link.rumbleScript);
            for (const auto& text : texts) sends.push_back("playScript " + std::to_string(text.size()) + " 0 0 0 10000");
            EXPECT_EQ(fakeEngine().calls, sends);
            EXPECT_EQ(fakeEngine().scripts, texts);
            EXPECT_EQ(link.effectsResult, texts.empty() ? 1000 : c.sent);
            EXPECT_TRUE(link.effectsReady);
        }
        fakeEngine().calls.clear();
        closeEffects(link);
        EXPECT_EQ(fakeEngine().calls, (Calls{"release player", "release engine", "release root", "disconnect"}));
        EXPECT_EQ(link.effectsPlayer, nullptr);
    }
}

TEST(EffectsPlayback, AFailedStepLeavesNoEffectsAndTeardownReleasesWhatWasOpened) {
    const struct { EffectsCode connect, open, create; Calls calls; } cases[] = {
        {2011, 1000, 1000, {"connect", "disconnect"}},
        {1000, 4242, 1000, {"connect", kOpening[1], "release root", "disconnect"}},
        {1000, 1000, 4343, {kOpening[0], kOpening[1], kOpening[2], "release engine", "release root", "disconnect"}},
    };
    for (const auto& c : cases) {
        EffectsLink link(SaverSettings{false, true, true, true}, fakeEngineClient(c.connect));
        fakeEngine().openResult = c.open;
        fakeEngine().createResult = c.create;
        openEffects(link);
        EXPECT_FALSE(link.effectsReady);
        EXPECT_EQ(link.effectsResult, c.connect != 1000 ? c.connect : c.open != 1000 ? c.open : c.create);
        playCycleEffects(link, 0.7f, 0.21f, 0.21f);
        closeEffects(link);
        EXPECT_EQ(fakeEngine().calls, c.calls);
    }
}
