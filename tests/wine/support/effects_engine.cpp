#include "support/effects_engine.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>

namespace {
std::string jsonText(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":\"";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    return line.substr(at + key.size(), line.find('"', at + key.size()) - at - key.size());
}

// Calls an export of the engine DLL that the build made beside the tests.
bool callEngineExport(const char* name) {
    HMODULE engine = LoadLibraryA(ZOVI_ENGINE_DLL);
    using Export = HRESULT(STDAPICALLTYPE*)();
    const auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
    const bool done = function && function() == S_OK;
    FreeLibrary(engine);
    return done;
}
}  // namespace

long long jsonNumber(const std::string& line, const char* name) {
    const std::size_t at = line.find(std::string("\"") + name + "\":");
    return at == std::string::npos ? 0 : std::strtoll(line.c_str() + at + std::strlen(name) + 3, nullptr, 10);
}

void EffectsEngineTest::SetUp() {
    ASSERT_TRUE(registerEngine()) << "could not register " << ZOVI_ENGINE_DLL;
    setFaults("");
    char folder[MAX_PATH + 1];
    GetTempPathA(sizeof folder, folder);
    journalPath = std::string(folder) + "zovi-journal-" + std::to_string(GetCurrentProcessId()) + ".jsonl";
    DeleteFileA(journalPath.c_str());
    SetEnvironmentVariableA("ZOVI_EFFECTS_JOURNAL", journalPath.c_str());
}

void EffectsEngineTest::TearDown() {
    setFaults("");
    registerEngine();  // a test that took the class away gives it back for the ones after it
    DeleteFileA(journalPath.c_str());
}

bool EffectsEngineTest::registerEngine() { return callEngineExport("DllRegisterServer"); }

bool EffectsEngineTest::unregisterEngine() { return callEngineExport("DllUnregisterServer"); }

void EffectsEngineTest::setFaults(const char* faults) {
    SetEnvironmentVariableA("ZOVI_EFFECTS_FAULTS", *faults ? faults : nullptr);
}

std::vector<JournalEntry> EffectsEngineTest::journal(std::size_t from) const {
    std::vector<JournalEntry> entries;
    std::ifstream file(journalPath, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        const JournalEntry entry = {jsonText(line, "table") + "." + jsonText(line, "call"),
                                    static_cast<DWORD>(jsonNumber(line, "thread")), jsonNumber(line, "result"), line};
        const bool bookkeeping = entry.name == "server.addRef" || entry.name == "server.queryInterface" ||
                                 (entry.name == "server.release" && entry.result > 0);
        if (!bookkeeping) entries.push_back(entry);
    }
    entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(std::min(from, entries.size())));
    return entries;
}

std::vector<std::string> EffectsEngineTest::sequence(std::size_t from) const {
    std::vector<std::string> names;
    for (const JournalEntry& entry : journal(from)) names.push_back(entry.name);
    return names;
}

JournalEntry EffectsEngineTest::call(const char* name) const {
    for (const JournalEntry& entry : journal())
        if (entry.name == name) return entry;
    ADD_FAILURE() << "no call " << name << " in the journal";
    return JournalEntry{};
}
