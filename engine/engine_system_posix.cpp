#include "engine_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "journal.h"

namespace {
// A Linux saver keeps a journal only where one is asked for: nobody reads one in a temporary folder.
std::string journalPath() { return environmentText("ZOVI_EFFECTS_JOURNAL"); }
}  // namespace

std::string journalTimeNow() {
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::system_clock::now().time_since_epoch()).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%01lld", static_cast<long long>(since / 1000),
                  static_cast<long long>(since / 100 % 10));
    return text;
}

std::uint64_t journalThreadId() { return static_cast<std::uint64_t>(gettid()); }

void appendJournalLine(const std::string& line) {
    const std::string path = journalPath();
    if (path.empty()) return;
    // One write of the whole line to a file opened for appending, under an advisory lock, so lines of
    // several threads and processes never interleave.
    const int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) return;
    flock(file, LOCK_EX);
    const ssize_t written = write(file, line.data(), line.size());
    static_cast<void>(written);
    flock(file, LOCK_UN);
    close(file);
}

void startJournal() {}

std::string journalFile() { return journalPath(); }

std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void sleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
