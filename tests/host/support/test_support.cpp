#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
FakeEngine engine;

std::string numbers(std::initializer_list<long long> values) {
    std::string text;
    for (long long value : values) text += " " + std::to_string(value);
    return text;
}

EffectsCode ZOVI_EFFECTS_CALL releaseRoot(EffectsRoot*) { engine.calls.push_back("release root"); return 1000; }
EffectsCode ZOVI_EFFECTS_CALL releaseEngine(EffectsEngine*) { engine.calls.push_back("release engine"); return 1000; }
EffectsCode ZOVI_EFFECTS_CALL releasePlayer(EffectsPlayer*) { engine.calls.push_back("release player"); return 1000; }

EffectsCode ZOVI_EFFECTS_CALL playScript(EffectsPlayer*, const char* text, std::uint32_t length, std::int32_t a,
                                         std::int32_t b, std::int32_t c, std::int32_t trailer) {
    engine.calls.push_back("playScript" + numbers({length, a, b, c, trailer}));
    engine.scripts.emplace_back(text, length);
    return engine.playResult;
}
EffectsPlayer player = {releasePlayer, nullptr, playScript};

EffectsCode ZOVI_EFFECTS_CALL createPlayer(EffectsEngine*, std::int32_t a, std::int32_t b, std::int32_t c,
                                           EffectsPlayer** made, std::int32_t trailer) {
    engine.calls.push_back("createPlayer" + numbers({a, b, c, trailer}));
    if (engine.createResult == 1000) *made = &player;
    return engine.createResult;
}
EffectsEngine engineTable = {releaseEngine, nullptr, createPlayer};

EffectsCode ZOVI_EFFECTS_CALL openEngine(EffectsRoot*, EffectsEngine** made, const char* name, const char* version,
                                         std::int32_t trailer) {
    engine.calls.push_back(std::string("openEngine ") + name + " " + version + numbers({trailer}));
    if (engine.openResult == 1000) *made = &engineTable;
    return engine.openResult;
}
EffectsRoot root = {releaseRoot, nullptr, nullptr, nullptr, nullptr, openEngine};

EffectsCode connect(EffectsRoot** place, std::int32_t* value) {
    engine.calls.push_back(value ? "connect with value" : "connect");
    *place = engine.connectResult == 1000 ? &root : nullptr;
    return engine.connectResult;
}

std::deque<std::uint32_t> ticks;
std::deque<int> draws;
int drawsTaken = 0;

template <typename T>
T next(std::deque<T>& values) {
    if (values.empty()) return ADD_FAILURE() << "the logo took more readings than the test scripted", 0;
    const T value = values.front();
    values.pop_front();
    return value;
}
}  // namespace

FakeEngine& fakeEngine() { return engine; }

EffectsClient fakeEngineClient(EffectsCode connectResult) {
    engine = FakeEngine{};
    engine.connectResult = connectResult;
    return EffectsClient{connect, [] { engine.calls.push_back("disconnect"); }};
}

LogoClock scriptedLogoClock(std::deque<std::uint32_t> tickList, std::deque<int> drawList) {
    ticks = std::move(tickList), draws = std::move(drawList), drawsTaken = 0;
    return LogoClock{[] { return next(ticks); }, [] { return ++drawsTaken, next(draws); }};
}

int scriptedDrawsTaken() { return drawsTaken; }

std::string repositoryScript(const std::string& name) {
    std::ifstream file(std::string(ZOVI_SOURCE_DIR) + "/src/effects/scripts/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
