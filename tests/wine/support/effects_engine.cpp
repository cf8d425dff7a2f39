#include "support/effects_engine.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
std::size_t valueStart(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":";
    const std::size_t at = line.find(key);
    return at == std::string::npos ? std::string::npos : at + key.size();
}

// Calls an export of the engine DLL that the build made beside the tests.
bool callEngineExport(const char* name) {
    HMODULE engine = LoadLibraryA(ZOVI_ENGINE_DLL);
    if (!engine) return false;
    using Export = HRESULT(STDAPICALLTYPE*)();
    const Export function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
    const bool done = function && function() == S_OK;
    FreeLibrary(engine);
    return done;
}
}  // namespace

std::string jsonText(const std::string& line, const char* name) {
    std::size_t i = valueStart(line, name);
    if (i == std::string::npos || i >= line.size() || line[i] != '"') return std::string();
    std::string text;
    for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\' || i + 1 >= line.size()) {
            text += line[i];
            continue;
        }
        const char escaped = line[++i];
        switch (escaped) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case 'u':
            text += static_cast<char>(std::strtol(line.substr(i + 1, 4).c_str(), nullptr, 16));
            i += 4;
            break;
        default: text += escaped;
        }
    }
    return text;
}

long long jsonNumber(const std::string& line, const char* name) {
    const std::size_t i = valueStart(line, name);
    return i == std::string::npos ? 0 : std::strtoll(line.c_str() + i, nullptr, 10);
}

void EffectsEngineTest::SetUp() {
    ASSERT_TRUE(registerEngine()) << "could not register " << ZOVI_ENGINE_DLL;
    setFaults("");
    char folder[MAX_PATH + 1];
    GetTempPathA(sizeof folder, folder);
    char name[64];
    std::snprintf(name, sizeof name, "zovi-journal-%lu-%lu.jsonl", GetCurrentProcessId(), GetTickCount());
    journalPath = std::string(folder) + name;
    DeleteFileA(journalPath.c_str());
    SetEnvironmentVariableA("ZOVI_EFFECTS_JOURNAL", journalPath.c_str());
}

void EffectsEngineTest::TearDown() {
    setFaults("");
    // A test that took the class away gives it back for the ones after it.
    registerEngine();
    DeleteFileA(journalPath.c_str());
}

bool EffectsEngineTest::registerEngine() { return callEngineExport("DllRegisterServer"); }

bool EffectsEngineTest::unregisterEngine() { return callEngineExport("DllUnregisterServer"); }

void EffectsEngineTest::setFaults(const char* faults) {
    SetEnvironmentVariableA("ZOVI_EFFECTS_FAULTS", *faults ? faults : nullptr);
}

std::vector<JournalEntry> EffectsEngineTest::journal() const {
    std::vector<JournalEntry> entries;
    std::ifstream file(journalPath, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        JournalEntry entry;
        entry.table = jsonText(line, "table");
        entry.slot = static_cast<int>(jsonNumber(line, "slot"));
        entry.call = jsonText(line, "call");
        entry.thread = static_cast<DWORD>(jsonNumber(line, "thread"));
        entry.result = jsonNumber(line, "result");
        entry.handle = jsonText(line, "handle");
        entry.script = jsonText(line, "script");
        entry.line = line;
        entries.push_back(entry);
    }
    return entries;
}

std::vector<JournalEntry> EffectsEngineTest::calls(const char* call) const {
    std::vector<JournalEntry> found;
    for (const JournalEntry& entry : journal())
        if (entry.call == call) found.push_back(entry);
    return found;
}

std::vector<std::string> EffectsEngineTest::sequence(std::size_t from) const {
    std::vector<std::string> names;
    const std::vector<JournalEntry> entries = journal();
    for (std::size_t i = from; i < entries.size(); ++i) {
        const JournalEntry& entry = entries[i];
        if (entry.table == "server" && (entry.call == "addRef" || entry.call == "queryInterface")) continue;
        // The factory's own releases while it hands out the object are bookkeeping too.
        if (entry.table == "server" && entry.call == "release" && entry.result > 0) continue;
        names.push_back(entry.table + "." + entry.call);
    }
    return names;
}
