#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One call as the substitute engine journalled it.
struct JournalEntry {
    std::string table;    // "factory", "server", "root", "engine", "player" or "link"
    int slot = 0;
    std::string call;
    DWORD thread = 0;
    long long result = 0;
    std::string handle;   // "root#1" and the like; empty for calls without one
    std::string script;   // the text a playScript received
    std::string line;     // the whole JSON line, for the rest
};

// The fields of a journal line that the tests look at; "" or 0 when absent.
std::string jsonText(const std::string& line, const char* name);
long long jsonNumber(const std::string& line, const char* name);

// A test against the substitute engine built beside the tests: the engine registered in this
// process's registry view, no faults, a journal of its own that is read back and removed at the end.
class EffectsEngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static bool registerEngine();
    static bool unregisterEngine();
    // ZOVI_EFFECTS_FAULTS of this process; the engine reads it at every call. "" clears.
    static void setFaults(const char* faults);

    std::vector<JournalEntry> journal() const;
    // The calls of the given name, in journal order.
    std::vector<JournalEntry> calls(const char* call) const;
    // "table.call" for every line, from the index given on, without the server's AddRef and
    // QueryInterface, which belong to COM's bookkeeping rather than to the link.
    std::vector<std::string> sequence(std::size_t from = 0) const;

private:
    std::string journalPath;
};
