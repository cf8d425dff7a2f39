#include <gtest/gtest.h>

#include <cmath>

#include <fstream>
#include <sstream>

#include "effects/effect_scripts.h"
#include "effects/effects_playback.h"
#include "effects/script_key.h"
#include "effects/stored_scripts.h"
#include "support/fake_engine.h"

namespace {
std::string decoded(const std::string& stored) { return decodeScript(stored.data(), stored.size()); }

std::string keyByte(int i) {
    const unsigned char key[4] = {kScriptKeyByte0, kScriptKeyByte1, kScriptKeyByte2, kScriptKeyByte3};
    return std::string(1, static_cast<char>(key[i % 4]));
}

std::string repositoryScript(const char* name) {
    std::ifstream file(std::string(ZOVI_SOURCE_DIR) + "/src/effects/scripts/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
}  // namespace

TEST(DecodeScript, ShortAndOddTextsDropTheirLastCharacter) {
    EXPECT_EQ(decoded(""), "");
    EXPECT_EQ(decoded("4"), "");
    EXPECT_EQ(decodeScript(nullptr, 0), "");
    EXPECT_EQ(decoded("000"), keyByte(0));
    EXPECT_EQ(decoded("0000000"), keyByte(0) + keyByte(1) + keyByte(2));
}

TEST(DecodeScript, TheKeyCyclesByPositionAndRestartsWithEveryScript) {
    // Zero bytes decode to the key itself.
    const std::string zeros(20, '0');
    std::string key;
    for (int i = 0; i < 10; ++i) key += keyByte(i);
    EXPECT_EQ(decoded(zeros), key);
    EXPECT_EQ(decoded(zeros.substr(0, 6)), key.substr(0, 3));  // a second script starts afresh
}

TEST(DecodeScript, ReadsUpperCaseHexHighDigitFirst) {
    const std::string stored = "FF0A9C";
    const std::string bytes = decoded(stored);
    ASSERT_EQ(bytes.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF ^ kScriptKeyByte0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x0A ^ kScriptKeyByte1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0x9C ^ kScriptKeyByte2);
    EXPECT_EQ(stored, "FF0A9C");  // the input is left as it was
}

// Lower case is not hex here: "a" counts as 42, so "a0" is (42 * 16) modulo 256. Any other byte
// decodes to some value as well, never to a fault.
TEST(DecodeScript, OtherCharactersGiveTheirArithmeticValue) {
    EXPECT_EQ(static_cast<unsigned char>(decoded("a0")[0]), ((42 * 16) % 256) ^ kScriptKeyByte0);
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
    EXPECT_EQ(decoded(everyByte).size(), 128u);
}

TEST(DecodeScript, TheStoredScriptsAreTheRepositoryScripts) {
    const struct {
        const char* stored;
        std::size_t length;
        const char* file;
    } scripts[] = {
        {kStoredLightScriptFadeToBlack, sizeof kStoredLightScriptFadeToBlack - 1, "light_fade_to_black.txt"},
        {kStoredLightScriptFadeToBackground, sizeof kStoredLightScriptFadeToBackground - 1,
         "light_fade_to_background.txt"},
        {kStoredFanScript, sizeof kStoredFanScript - 1, "fan.txt"},
        {kStoredRumbleScript, sizeof kStoredRumbleScript - 1, "rumble.txt"},
    };
    for (const auto& script : scripts) {
        const std::string expected = repositoryScript(script.file);
        ASSERT_FALSE(expected.empty()) << script.file;
        EXPECT_EQ(script.length, 2 * expected.size()) << script.file;
        EXPECT_EQ(decodeScript(script.stored, script.length), expected) << script.file;
        // Upper-case hex, and not of the plain text: "zovi" would be 7A6F7669.
        EXPECT_EQ(std::string(script.stored).find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_NE(std::string(script.stored).substr(0, 8), "7A6F7669");
    }
}

TEST(ColourText, TruncatesTheSinglePrecisionChannels) {
    EXPECT_EQ(colourText(0.7f, 0.21f, 0.5f), "69 20 50");
    EXPECT_EQ(colourText(0.7f, 0.21f, 0.21f), "69 20 20");
    EXPECT_EQ(colourText(0.21f, 0.455f, 0.7f), "20 45 69");
    EXPECT_EQ(colourText(0.0f, 0.05f, 1.0f), "0 5 100");
}

TEST(ColourText, ChannelsOutsideAnyColourStillGiveThreeNumbers) {
    // Found by fuzzing: a channel beyond 32 bits of percent was an undefined conversion.
    EXPECT_EQ(colourText(1.6e26f, -1.6e26f, std::nanf("")), "2147483647 -2147483648 0");
    EXPECT_EQ(colourText(-0.005f, 21474836.0f, -21474836.0f), "0 2147483600 -2147483600");
}

TEST(SubstituteColour, ReplacesOnlyTheFirstToken) {
    EXPECT_EQ(substituteColour("colour _VALUE_ then _VALUE_", "69 20 50"), "colour 69 20 50 then _VALUE_");
    EXPECT_EQ(substituteColour("_VALUE_", "69 20 50"), "69 20 50");
    EXPECT_EQ(substituteColour("x_VALUE_", "1 2 3"), "x1 2 3");
    EXPECT_EQ(substituteColour("_VALUE", "69 20 50"), "_VALUE");
}

TEST(SubstituteColour, AScriptWithoutTheTokenGoesOutUnchanged) {
    EXPECT_EQ(substituteColour("", "69 20 50"), "");
    EXPECT_EQ(substituteColour("at 0ms light everywhere colour white\n", "69 20 50"),
              "at 0ms light everywhere colour white\n");
}

TEST(PrepareLightScript, ColoursACopyOfTheScriptTheFadeStyleChooses) {
    for (bool fadeToBackground : {false, true}) {
        EffectsLink link(SaverSettings{fadeToBackground, true, true, true}, fakeEngineClient());
        decodeEffectScripts(link);
        const std::string& chosen =
            fadeToBackground ? link.lightScriptFadeToBackground : link.lightScriptFadeToBlack;
        const std::string stored = chosen;
        const std::size_t token = chosen.find("_VALUE_");
        ASSERT_NE(token, std::string::npos);

        const std::string first = prepareLightScript(link, 0.7f, 0.21f, 0.5f);
        const std::string second = prepareLightScript(link, 0.21f, 0.7f, 0.455f);

        EXPECT_EQ(first, stored.substr(0, token) + "69 20 50" + stored.substr(token + 7));
        EXPECT_EQ(second, stored.substr(0, token) + "20 69 45" + stored.substr(token + 7));
        EXPECT_EQ(chosen, stored);  // each cycle works on a fresh copy
    }
}
