#include <gtest/gtest.h>

#include "effects/effect_scripts.h"
#include "effects/effects_playback.h"
#include "support/fake_engine.h"

namespace {
using Calls = std::vector<std::string>;

const Calls kOpening = {"connect", "openEngine Zovi Logo Screensaver 1.0.0 10000", "createPlayer 0 0 0 10000"};
const Calls kTeardown = {"release player", "release engine", "release root", "disconnect"};

Calls joined(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string played(const std::string& script) {
    return "playScript " + std::to_string(script.size()) + " 0 0 0 10000";
}
}  // namespace

TEST(EffectsPlayback, EachCycleSendsTheEnabledScriptsInOrderAndTeardownReleasesInReverse) {
    const struct {
        SaverSettings settings;
        bool light, fan, rumble;
    } cases[] = {
        {{false, true, true, true}, true, true, true},
        {{true, true, false, false}, true, false, false},
        {{false, false, true, false}, false, true, false},
        {{true, false, false, true}, false, false, true},
        {{false, false, false, false}, false, false, false},  // still opened and released
    };
    for (const auto& c : cases) {
        EffectsLink link(c.settings, fakeEngineClient(1000));
        decodeEffectScripts(link);
        openEffects(link);
        EXPECT_TRUE(link.effectsReady);
        EXPECT_EQ(link.effectsResult, 1000);
        EXPECT_EQ(fakeEngine().calls, kOpening);

        for (const float red : {0.7f, 0.21f}) {
            fakeEngine().calls.clear();
            fakeEngine().scripts.clear();
            playCycleEffects(link, red, 0.21f, 0.5f);
            const std::string light = prepareLightScript(link, red, 0.21f, 0.5f);
            Calls expected, texts;
            for (const auto& [on, script] : {std::make_pair(c.light, light), std::make_pair(c.fan, link.fanScript),
                                             std::make_pair(c.rumble, link.rumbleScript)})
                if (on) expected.push_back(played(script)), texts.push_back(script);
            EXPECT_EQ(fakeEngine().calls, expected);
            EXPECT_EQ(fakeEngine().scripts, texts);
        }
        fakeEngine().calls.clear();
        closeEffects(link);
        EXPECT_EQ(fakeEngine().calls, kTeardown);
        EXPECT_EQ(link.effectsPlayer, nullptr);
    }
}

TEST(EffectsPlayback, AFailedStepLeavesNoEffectsAndTeardownReleasesWhatWasOpened) {
    const struct {
        EffectsCode connect, open, create;
        Calls opening, teardown;
    } cases[] = {
        {2011, 1000, 1000, {"connect"}, {"disconnect"}},
        {1000, 4242, 1000, {"connect", kOpening[1]}, {"release root", "disconnect"}},
        {1000, 1000, 4343, kOpening, {"release engine", "release root", "disconnect"}},
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
        EXPECT_EQ(fakeEngine().calls, joined(c.opening, c.teardown));
    }
}

TEST(EffectsPlayback, AFailingSendStopsNeitherTheOthersNorTheNextCycle) {
    EffectsLink link(SaverSettings{false, true, true, true}, fakeEngineClient(1000));
    fakeEngine().playResult = 4444;
    openEffects(link);
    playCycleEffects(link, 0.7f, 0.21f, 0.21f);
    playCycleEffects(link, 0.7f, 0.21f, 0.21f);
    EXPECT_EQ(fakeEngine().scripts.size(), 6u);
    EXPECT_EQ(link.effectsResult, 4444);
    EXPECT_TRUE(link.effectsReady);
}
