#include "support/effects_engine.h"

#include <fstream>

namespace {
std::string jsonText(const std::string& line, const std::string& name) {
    const std::size_t at = line.find("\"" + name + "\":\"");
    return at == std::string::npos ? "" : line.substr(at + name.size() + 4, line.find('"', at + name.size() + 4) - at - name.size() - 4);
}
}  // namespace

void EffectsEngineTest::SetUp() {
    ASSERT_TRUE(engineExport("DllRegisterServer")) << "could not register " << ZOVI_ENGINE_DLL;
    setFaults("");
    char folder[MAX_PATH + 1];
    GetTempPathA(sizeof folder, folder);
    journalPath = std::string(folder) + "zovi-journal-" + std::to_string(GetCurrentProcessId()) + ".jsonl";
    DeleteFileA(journalPath.c_str());
    SetEnvironmentVariableA("ZOVI_EFFECTS_JOURNAL", journalPath.c_str());
}

void EffectsEngineTest::TearDown() {
    setFaults("");
    engineExport("DllRegisterServer");  // a test that took the class away gives it back
    DeleteFileA(journalPath.c_str());
}

bool EffectsEngineTest::engineExport(const char* name) {
    HMODULE engine = LoadLibraryA(ZOVI_ENGINE_DLL);
    const auto function = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
    const bool done = function && function() == S_OK;
    FreeLibrary(engine);
    return done;
}

std::vector<JournalEntry> EffectsEngineTest::journal(std::size_t from) const {
    std::vector<JournalEntry> entries;
    std::ifstream file(journalPath, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        const std::string name = jsonText(line, "table") + "." + jsonText(line, "call");
        const std::size_t thread = line.find("\"thread\":");
        const bool factoryRelease = name == "server.release" && line.find("\"result\":0") == std::string::npos;
        if (name != "server.addRef" && name != "server.queryInterface" && !factoryRelease)
            entries.push_back({name, static_cast<DWORD>(std::stoul(line.substr(thread + 9))), line});
    }
    entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(std::min(from, entries.size())));
    return entries;
}

std::vector<std::string> EffectsEngineTest::sequence(std::size_t from) const {
    std::vector<std::string> names;
    for (const JournalEntry& entry : journal(from)) names.push_back(entry.name);
    return names;
}
