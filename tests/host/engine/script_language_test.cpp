#include <gtest/gtest.h>

#include <tuple>

#include "effects/effect_scripts.h"
#include "script_language.h"
#include "support/test_support.h"

namespace {
ParsedScript parse(const std::string& text) { return parseEffectsScript(text.data(), text.size()); }

// The line and reason a script is refused with.
std::string refusal(const std::string& text) {
    const ParsedScript script = parse(text);
    return script.parsed ? "parsed" : std::to_string(script.errorLine) + ": " + script.error;
}
}  // namespace

TEST(EffectsLanguage, TheSaversScriptsParse) {
    for (const char* name : {"light_fade_to_black.txt", "light_fade_to_background.txt"}) {
        const std::string script = repositoryScript(name);
        const std::string summary = scriptSummaryJson(parse(substituteColour(script, "69 20 50")));
        EXPECT_NE(summary.find("\"colours\":[\"69 20 50\"]}"), std::string::npos) << name << summary;
        // Sent without its colour, a light script is refused where the token stands.
        EXPECT_NE(refusal(script).find("a colour is"), std::string::npos) << name;
    }
    for (const char* name : {"fan.txt", "rumble.txt"}) EXPECT_EQ(refusal(repositoryScript(name)), "parsed") << name;
}

TEST(EffectsLanguage, ReadsEventsWithTheirTimesDevicesAndValues) {
    const ParsedScript script = parse(
        "# comments and blank lines may come first\r\n\r\n"
        "zovi-effects 1\r\n"
        "at 0ms light north-east colour 69 20 50\r\n"
        "\tat 1.5s  light centre brightness 15% over 0.25s\n"
        "at 2s fan everywhere level 100% over 250ms\n"
        "at 2s rumble south-west level 0%");
    ASSERT_EQ(script.events.size(), 4u) << script.error;
    const EffectEvent& e = script.events[1];
    EXPECT_EQ(std::make_tuple(e.atMs, e.overMs, e.percent, e.line), std::make_tuple(1500u, 250u, 15, 5));
    EXPECT_EQ(scriptSummaryJson(script),
              "{\"events\":4,\"durationMs\":2250,\"devices\":[\"light\",\"fan\",\"rumble\"],"
              "\"locations\":[\"north-east\",\"centre\",\"everywhere\",\"south-west\"],"
              "\"colours\":[\"69 20 50\"]}");
}

TEST(EffectsLanguage, RefusesWithTheLineAndTheReasonAndReadsTimesUpToTenMinutes) {
    const std::string head = "zovi-effects 1\n";
    const std::string colour = "2: a colour is black, white or three whole percentages: red green blue";
    const struct { std::string text, refusal; } cases[] = {
        {"", "1: the first line must be \"zovi-effects 1\""},
        {"zovi-effects 2\nat 0ms fan east level 1%", "1: the first line must be \"zovi-effects 1\""},
        {head + "# nothing yet\n", "2: a script needs at least one event"},
        {head + "at 0ms lamp east level 5%", "2: \"lamp\" is not a device (light, fan, rumble)"},
        {head + "at 0ms light up colour black", "2: \"up\" is not a location"},
        {head + "at 0ms fan east colour black", "2: a fan takes \"level\", not \"colour\""},
        {head + "at 0ms light east level 5%", "2: a light takes \"colour\" or \"brightness\", not \"level\""},
        {head + "at 0ms fan east level 101%", "2: a level is a percentage, 0% to 100%"},
        {head + "at 0ms light east colour 10 20", colour}, {head + "at 0ms light east colour 10 20 300", colour},
        {head + "at 0ms fan east level 5% soon", "2: after the value only \"over DURATION\" may follow"},
        {head + "at 1s fan east level 5%\nat 999ms fan east level 0%", "3: events must come in time order"},
        {head + "at 0ms fan east level 5%\n\x01", "3: unexpected byte 0x01"},
        {head + "at 0ms fan east level 5%\xe9", "2: unexpected byte 0xE9"},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.text), c.refusal) << c.text;
    for (const char* good : {"0ms", "250ms", "2s", "1.5s", "0.125s", "600s", "600000ms"})
        EXPECT_EQ(refusal(head + "at " + good + " fan east level 5%"), "parsed") << good;
    for (const char* bad : {"ms", "s", "1.2345s", "600001ms", "601s", "1m", "-1ms", "1.s", ".5s", "9999999ms"})
        EXPECT_EQ(refusal(head + "at " + bad + " fan east level 5%").substr(0, 3), "2: ") << bad;
}

TEST(EffectsLanguage, JsonTextStaysValidForAnyByte) {
    std::string out;
    const char text[] = "a\"b\\c\nd\re\tf\x01g\x7fh\xe9";
    appendJsonString(out, text, sizeof text - 1);
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\re\\tf\\u0001g\\u007fh\\u00e9\"");
}
