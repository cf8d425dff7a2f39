#pragma once
// What the engine's journal and its fault switches need of the system under them: one
// implementation for Windows (engine_system_win32.cpp), one for POSIX systems (engine_system_posix.cpp).
#include <cstdint>
#include <string>

// Milliseconds since 1970 UTC with one decimal, as the journal writes it.
std::string journalTimeNow();
// The calling thread, as the journal names it.
std::uint64_t journalThreadId();
// Appends one whole line to the journal (docs/effects-engine.md), if there is one.
void appendJournalLine(const std::string& line);

// The variable's value from the process's environment as it stands now; empty when unset.
std::string environmentText(const char* name);
void sleepMs(std::uint32_t ms);
