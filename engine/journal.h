#pragma once
// The engine's journal: one JSON object a line for every call it receives, appended to the file
// that ZOVI_EFFECTS_JOURNAL names, or to zovi-effects-journal.jsonl in the temporary folder.
#include <cstddef>
#include <cstdint>
#include <string>


class JournalLine {
public:
    // table: "factory", "server", "root", "engine", "player" or "link"; slot -1 when not a slot.
    JournalLine(const char* table, int slot, const char* call);
    JournalLine& handle(const std::string& name);
    JournalLine& number(const char* name, std::int64_t value);
    JournalLine& text(const char* name, const char* value);  // null is written as null
    JournalLine& text(const char* name, const char* value, std::size_t length);
    JournalLine& raw(const char* name, const std::string& json);
    // Beside the arguments: what the engine made of them (a script's text and its parse, say).
    JournalLine& detail(const char* name, const std::string& json);
    // Closes the arguments, adds the result and writes the line.
    void write(std::int64_t result);

private:
    std::string head;
    std::string args;
    std::string details;
};

// Made once, when the engine is loaded.
void startJournal();

// Where the journal goes.
std::wstring journalFile();
