#include <gtest/gtest.h>

#include <memory>

#include "effects/effect_scripts.h"
#include "effects/effects_client.h"
#include "logo/logo_animation.h"
#include "render/render_host.h"
#include "support/effects_engine.h"

namespace {
std::unique_ptr<LogoAnimation> makeLogo(bool lights, bool fans, bool rumbles) {
    return std::unique_ptr<LogoAnimation>(
        new LogoAnimation(false, lights, fans, rumbles, systemLogoClock(), kEngineEffectsClient));
}

DWORD WINAPI startCycleThread(LPVOID logo) {
    startCycle(*static_cast<LogoAnimation*>(logo), systemLogoClock());
    return 0;
}

// A cycle started on a thread of its own, as the animation thread starts every cycle after the first.
void startCycleOnAnotherThread(LogoAnimation& logo) {
    const HANDLE thread = CreateThread(nullptr, 0, startCycleThread, &logo, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

const std::vector<std::string> kOpening = {"factory.createInstance", "server.requestRoot",
                                           "root.openEngine", "engine.createPlayer"};
const std::vector<std::string> kTeardown = {"player.release", "engine.release", "root.release",
                                            "link.releaseCallback", "server.release"};

class EffectsPlayback : public EffectsEngineTest {};
}  // namespace

TEST_F(EffectsPlayback, EveryCycleSendsLightFanAndRumbleInTheCyclesColour) {
    std::unique_ptr<LogoAnimation> logo = makeLogo(true, true, true);
    EXPECT_TRUE(logo->effectsReady);
    EXPECT_EQ(logo->effectsResult, 1000);
    EXPECT_EQ(sequence(), kOpening);
    const JournalEntry opened = calls("openEngine").at(0);
    EXPECT_EQ(jsonText(opened.line, "application"), "Zovi Logo Screensaver");
    EXPECT_EQ(jsonText(opened.line, "version"), "1.0.0");
    EXPECT_EQ(jsonNumber(opened.line, "trailer"), 10000);
    EXPECT_EQ(calls("createPlayer").at(0).result, 1000);

    std::vector<std::string> lightTexts;
    for (int cycle = 0; cycle < 2; ++cycle) {
        const std::size_t before = journal().size();
        if (cycle == 0) startCycle(*logo, systemLogoClock());
        else startCycleOnAnotherThread(*logo);
        const std::vector<JournalEntry> sent = calls("playScript");
        ASSERT_EQ(sent.size(), 3u * (cycle + 1));
        EXPECT_EQ(journal().size(), before + 3);
        const JournalEntry* sends = &sent[3 * cycle];
        lightTexts.push_back(sends[0].script);
        EXPECT_EQ(sends[0].script, prepareLightScript(*logo));
        EXPECT_NE(sends[0].script.find("colour " + colourText(logo->red, logo->green, logo->blue)),
                  std::string::npos);
        EXPECT_EQ(sends[1].script, logo->fanScript);
        EXPECT_EQ(sends[2].script, logo->rumbleScript);
        for (int i = 0; i < 3; ++i) {
            // The engine parsed each text and accepted it, with the fixed values as they must be.
            EXPECT_EQ(sends[i].result, 1000) << sends[i].line;
            EXPECT_EQ(sends[i].handle, "player#1");
            EXPECT_EQ(jsonNumber(sends[i].line, "length"), static_cast<long long>(sends[i].script.size()));
            EXPECT_EQ(jsonNumber(sends[i].line, "trailer"), 10000);
            EXPECT_EQ(sends[i].thread == opened.thread, cycle == 0);
        }
        EXPECT_EQ(logo->effectsResult, 1000);
    }
    // The stored script keeps its token: each cycle coloured a fresh copy.
    EXPECT_NE(logo->lightScriptFadeToBlack.find("_VALUE_"), std::string::npos);

    const std::size_t before = journal().size();
    logo.reset();
    EXPECT_EQ(sequence(before), kTeardown);
}

TEST_F(EffectsPlayback, WithEveryEffectOffTheLinkIsStillOpenedAndReleased) {
    std::unique_ptr<LogoAnimation> logo = makeLogo(false, false, false);
    EXPECT_TRUE(logo->effectsReady);
    startCycle(*logo, systemLogoClock());
    logo.reset();
    std::vector<std::string> expected = kOpening;
    expected.insert(expected.end(), kTeardown.begin(), kTeardown.end());
    EXPECT_EQ(sequence(), expected);
}

TEST_F(EffectsPlayback, AFailingOpenEngineLeavesNoEffectsAndTeardownReleasesTheRootAndDisconnects) {
    setFaults("openEngine=4242");
    std::unique_ptr<LogoAnimation> logo = makeLogo(true, true, true);
    EXPECT_FALSE(logo->effectsReady);
    EXPECT_EQ(logo->effectsResult, 4242);
    EXPECT_NE(logo->effectsRoot, nullptr);
    EXPECT_EQ(logo->effectsEngine, nullptr);
    EXPECT_EQ(logo->effectsPlayer, nullptr);
    startCycle(*logo, systemLogoClock());
    logo.reset();
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "root.openEngine", "root.release",
                                                    "link.releaseCallback", "server.release"}));
}

TEST_F(EffectsPlayback, AFailingCreatePlayerKeepsTheEngineUntilTeardown) {
    setFaults("createPlayer=4343");
    std::unique_ptr<LogoAnimation> logo = makeLogo(true, true, true);
    EXPECT_FALSE(logo->effectsReady);
    EXPECT_EQ(logo->effectsResult, 4343);
    startCycle(*logo, systemLogoClock());
    logo.reset();
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "root.openEngine", "engine.createPlayer",
                                                    "engine.release", "root.release",
                                                    "link.releaseCallback", "server.release"}));
}

TEST_F(EffectsPlayback, AFailingSendDoesNotStopTheOthersOfThisCycleOrTheNext) {
    setFaults("playScript=4444");
    std::unique_ptr<LogoAnimation> logo = makeLogo(true, true, true);
    startCycle(*logo, systemLogoClock());
    startCycle(*logo, systemLogoClock());
    const std::vector<JournalEntry> sent = calls("playScript");
    ASSERT_EQ(sent.size(), 6u);
    for (const JournalEntry& send : sent) EXPECT_EQ(send.result, 4444);
    EXPECT_EQ(logo->effectsResult, 4444);
    EXPECT_TRUE(logo->effectsReady);
}

TEST_F(EffectsPlayback, WithoutTheEngineNothingIsCalledAndTheLogoRunsOn) {
    ASSERT_TRUE(unregisterEngine());
    std::unique_ptr<LogoAnimation> logo = makeLogo(true, true, true);
    EXPECT_EQ(logo->effectsResult, 2011);
    EXPECT_FALSE(logo->effectsReady);
    EXPECT_EQ(logo->effectsRoot, nullptr);
    EXPECT_EQ(logo->effectsEngine, nullptr);
    EXPECT_EQ(logo->effectsPlayer, nullptr);
    startCycle(*logo, systemLogoClock());
    EXPECT_EQ(logo->sweepPosition, -100);
    logo.reset();
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(effectsClientState().connectionCount, 0u);
}
