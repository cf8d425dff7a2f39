#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

// One call as the substitute engine journalled it.
struct JournalEntry {
    std::string name;  // "table.call", as "server.requestRoot"
    DWORD thread = 0;
    std::string line;  // the whole JSON line, for the rest
};

// A test against the substitute engine built beside the tests: the engine registered in this
// process's registry view, no faults, a journal of its own that is read back and removed at the end.
class EffectsEngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static bool engineExport(const char* name);  // DllRegisterServer or DllUnregisterServer
    // ZOVI_EFFECTS_FAULTS of this process; the engine reads it at every call. "" clears.
    static void setFaults(const char* faults) { SetEnvironmentVariableA("ZOVI_EFFECTS_FAULTS", *faults ? faults : nullptr); }
    // The calls from the index given on, without the server's AddRef, QueryInterface and the
    // factory's own releases, which belong to COM's bookkeeping rather than to the link.
    std::vector<JournalEntry> journal(std::size_t from = 0) const;
    std::vector<std::string> sequence(std::size_t from = 0) const;  // their names

private:
    std::string journalPath;
};
