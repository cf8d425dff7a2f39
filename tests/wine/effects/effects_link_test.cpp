#include <gtest/gtest.h>

#include "effects/effect_scripts.h"
#include "effects/effects_client.h"
#include "logo/logo_animation.h"
#include "render/render_session.h"
#include "support/effects_engine.h"

namespace {
DWORD WINAPI startCycleThread(LPVOID logo) {
    startCycle(*static_cast<LogoAnimation*>(logo), systemLogoClock());
    return 0;
}

class EffectsLinkToTheEngine : public EffectsEngineTest {};
}  // namespace

// The logo's link through the saver's client to the engine: opened on one thread, the cycles'
// scripts sent from this thread and from another as the animation thread sends them, every text
// accepted by the engine's parser, and the teardown in order.
TEST_F(EffectsLinkToTheEngine, OpensSendsEveryCycleFromAnyThreadAndTearsDownInOrder) {
    auto logo = std::make_unique<LogoAnimation>(SaverSettings{false, true, true, true}, systemLogoClock(),
                                                kEngineEffectsClient);
    EXPECT_TRUE(logo->effects.effectsReady);
    EXPECT_EQ(sequence(), (std::vector<std::string>{"factory.createInstance", "server.requestRoot",
                                                    "root.openEngine", "engine.createPlayer"}));
    startCycle(*logo, systemLogoClock());
    const HANDLE thread = CreateThread(nullptr, 0, startCycleThread, logo.get(), 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    const std::vector<JournalEntry> sent = calls("playScript");
    ASSERT_EQ(sent.size(), 6u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].result, 1000) << sent[i].line;
        EXPECT_EQ(sent[i].thread == GetCurrentThreadId(), i < 3);
    }
    EXPECT_EQ(sent[3].script, prepareLightScript(logo->effects, logo->red, logo->green, logo->blue));
    EXPECT_EQ(sent[4].script, logo->effects.fanScript);
    EXPECT_EQ(sent[5].script, logo->effects.rumbleScript);

    const std::size_t before = journal().size();
    logo.reset();
    EXPECT_EQ(sequence(before), (std::vector<std::string>{"player.release", "engine.release", "root.release",
                                                          "link.releaseCallback", "server.release"}));
    EXPECT_EQ(effectsClientState().connectionCount, 0u);
}
