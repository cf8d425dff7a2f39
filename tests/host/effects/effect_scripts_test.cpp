#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "effects/connect_codes.h"
#include "effects/effect_scripts.h"
#include "effects/effects_playback.h"
#include "effects/script_key.h"
#include "effects/stored_scripts.h"
#include "support/fake_engine.h"

namespace {
std::string decoded(const std::string& stored) { return decodeScript(stored.data(), stored.size()); }

unsigned keyByte(int i) {
    const unsigned char key[4] = {kScriptKeyByte0, kScriptKeyByte1, kScriptKeyByte2, kScriptKeyByte3};
    return key[i % 4];
}

std::string repositoryScript(const char* name) {
    std::ifstream file(std::string(ZOVI_SOURCE_DIR) + "/src/effects/scripts/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
}  // namespace

TEST(DecodeScript, HexPairsXoredWithTheKeyCyclingFromEachScriptsStart) {
    EXPECT_EQ(decoded(""), "");
    EXPECT_EQ(decoded("4"), "");
    EXPECT_EQ(decodeScript(nullptr, 0), "");
    const std::string bytes = decoded("FF0A9C0000");
    ASSERT_EQ(bytes.size(), 5u);
    const unsigned expected[] = {0xFF, 0x0A, 0x9C, 0x00, 0x00};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(static_cast<unsigned char>(bytes[i]), expected[i] ^ keyByte(i)) << i;
    // Lower case is not hex here: "a" counts as 42, so "a0" is (42 * 16) modulo 256.
    EXPECT_EQ(static_cast<unsigned char>(decoded("a0")[0]), ((42 * 16) % 256) ^ keyByte(0));
    EXPECT_EQ(decoded("0000000").size(), 3u);  // an odd last character is ignored
    EXPECT_EQ(static_cast<unsigned char>(decoded("000000")[0]), keyByte(0));  // a new script starts afresh
}

TEST(DecodeScript, TheStoredScriptsAreTheRepositoryScriptsInUpperCaseHex) {
    const struct { const char* stored; std::size_t length; const char* file; } scripts[] = {
        {kStoredLightScriptFadeToBlack, sizeof kStoredLightScriptFadeToBlack - 1, "light_fade_to_black.txt"},
        {kStoredLightScriptFadeToBackground, sizeof kStoredLightScriptFadeToBackground - 1,
         "light_fade_to_background.txt"},
        {kStoredFanScript, sizeof kStoredFanScript - 1, "fan.txt"},
        {kStoredRumbleScript, sizeof kStoredRumbleScript - 1, "rumble.txt"},
    };
    for (const auto& script : scripts) {
        const std::string expected = repositoryScript(script.file);
        ASSERT_FALSE(expected.empty()) << script.file;
        EXPECT_EQ(decodeScript(script.stored, script.length), expected) << script.file;
        EXPECT_EQ(std::string(script.stored).find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_NE(std::string(script.stored).substr(0, 8), "7A6F7669");  // not the plain text "zovi"
    }
}

TEST(ColourText, TruncatesTheSinglePrecisionChannelsAndHoldsAnyChannel) {
    EXPECT_EQ(colourText(0.7f, 0.21f, 0.5f), "69 20 50");
    EXPECT_EQ(colourText(0.21f, 0.455f, 0.7f), "20 45 69");
    EXPECT_EQ(colourText(0.0f, 0.05f, 1.0f), "0 5 100");
    // Found by fuzzing: a channel beyond 32 bits of percent was an undefined conversion.
    EXPECT_EQ(colourText(1.6e26f, -1.6e26f, std::nanf("")), "2147483647 -2147483648 0");
}

TEST(SubstituteColour, ReplacesOnlyTheFirstTokenInAFreshCopy) {
    EXPECT_EQ(substituteColour("colour _VALUE_ then _VALUE_", "69 20 50"), "colour 69 20 50 then _VALUE_");
    EXPECT_EQ(substituteColour("x_VALUE_", "1 2 3"), "x1 2 3");
    EXPECT_EQ(substituteColour("_VALUE", "69 20 50"), "_VALUE");
    EXPECT_EQ(substituteColour("", "69 20 50"), "");
    for (bool fadeToBackground : {false, true}) {
        EffectsLink link(SaverSettings{fadeToBackground, true, true, true}, fakeEngineClient());
        decodeEffectScripts(link);
        const std::string& chosen = fadeToBackground ? link.lightScriptFadeToBackground : link.lightScriptFadeToBlack;
        const std::string stored = chosen;
        const std::size_t token = chosen.find("_VALUE_");
        ASSERT_NE(token, std::string::npos);
        EXPECT_EQ(prepareLightScript(link, 0.7f, 0.21f, 0.5f), stored.substr(0, token) + "69 20 50" + stored.substr(token + 7));
        EXPECT_EQ(prepareLightScript(link, 0.21f, 0.7f, 0.455f), stored.substr(0, token) + "20 69 45" + stored.substr(token + 7));
        EXPECT_EQ(chosen, stored);
    }
}

TEST(ConnectCodes, ServerResultsMapOntoTheClientsCodes) {
    const struct { EffectsCode code; std::initializer_list<std::uint32_t> hresults; } groups[] = {
        {2011, {0x80004001, 0x80004002, 0x8000401F, 0x80004020, 0x80004021, 0x80004022, 0x80040110,
                0x80040154, 0x80070005, 0x8007007E}},
        {2003, {0x80004006, 0x80004007, 0x80004008, 0x80004009, 0x8000400C, 0x8007000E}},
        {2015, {0x80004027}},
        // The neighbours of every range, and success values, which a start never ends with.
        {2014, {0x80004003, 0x80004005, 0x8000400A, 0x8000400B, 0x8000400D, 0x8000401E, 0x80004023,
                0x80004026, 0x80004028, 0x8004010F, 0x80040111, 0x80040153, 0x80040155, 0x80070004,
                0x80070006, 0x8007000D, 0x8007000F, 0x8007007D, 0x8007007F, 0x0, 0x1, 0xFFFFFFFF}},
    };
    for (const auto& group : groups)
        for (std::uint32_t hresult : group.hresults)
            EXPECT_EQ(connectCodeForServerResult(static_cast<std::int32_t>(hresult)), group.code) << std::hex << hresult;
}
