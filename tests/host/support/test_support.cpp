#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
FakeEngine engine;

EffectsCode noted(const std::string& call, EffectsCode result = 1000) {
    engine.calls.push_back(call);
    return result;
}

std::string numbers(std::initializer_list<long long> values) {
    std::string text;
    for (long long value : values) text += " " + std::to_string(value);
    return text;
}

EffectsCode ZOVI_EFFECTS_CALL playScript(EffectsPlayer*, const char* text, std::uint32_t length, std::int32_t a,
                                         std::int32_t b, std::int32_t c, std::int32_t trailer) {
    engine.scripts.emplace_back(text, length);
    return noted("playScript" + numbers({length, a, b, c, trailer}), engine.playResult);
}
EffectsPlayer player = {[](EffectsPlayer*) { return noted("release player"); }, nullptr, playScript};

EffectsCode ZOVI_EFFECTS_CALL createPlayer(EffectsEngine*, std::int32_t a, std::int32_t b, std::int32_t c,
                                           EffectsPlayer** made, std::int32_t trailer) {
    if (engine.createResult == 1000) *made = &player;
    return noted("createPlayer" + numbers({a, b, c, trailer}), engine.createResult);
}
EffectsEngine engineTable = {[](EffectsEngine*) { return noted("release engine"); }, nullptr, createPlayer};

EffectsCode ZOVI_EFFECTS_CALL openEngine(EffectsRoot*, EffectsEngine** made, const char* name, const char* version,
                                         std::int32_t trailer) {
    if (engine.openResult == 1000) *made = &engineTable;
    return noted(std::string("openEngine ") + name + " " + version + numbers({trailer}), engine.openResult);
}
EffectsRoot root = {[](EffectsRoot*) { return noted("release root"); }, nullptr, nullptr, nullptr, nullptr, openEngine};

EffectsCode connect(EffectsRoot** place, std::int32_t* value) {
    *place = engine.connectResult == 1000 ? &root : nullptr;
    return noted(value ? "connect with value" : "connect", engine.connectResult);
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
