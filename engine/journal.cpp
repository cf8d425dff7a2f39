#include "journal.h"

#include <windows.h>

#include <cstdio>

#include "json_text.h"

namespace {
CRITICAL_SECTION journalLock;
// Across processes (a preview and a full-screen saver write one journal): a line is appended whole,
// and the default journal starts over only while no other writer is half-way through a line.
HANDLE journalWriters = nullptr;
constexpr DWORD kLongestWriterWaitMs = 2000;  // a writer that died holding it is noticed at once
// The journal in the temporary folder, where nobody asked for one (an installed engine), starts
// over beyond this size instead of growing for as long as the saver runs.
constexpr LONGLONG kLongestDefaultJournal = 4 * 1024 * 1024;

std::wstring environmentValue(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024) return std::wstring();
    return std::wstring(value, length);
}

std::wstring journalPath(bool& named) {
    const std::wstring path = environmentValue(L"ZOVI_EFFECTS_JOURNAL");
    named = !path.empty();
    if (named) return path;
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return L"zovi-effects-journal.jsonl";
    return std::wstring(folder, length) + L"zovi-effects-journal.jsonl";
}

// Milliseconds since 1970 UTC, to the tenth of a millisecond, so a test can line calls up with
// what it saw on the screen at the same moment.
std::string timeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::uint64_t sinceEpoch = ticks - 116444736000000000ull;  // 100 ns units
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%01llu", static_cast<unsigned long long>(sinceEpoch / 10000),
                  static_cast<unsigned long long>(sinceEpoch / 1000 % 10));
    return text;
}

void appendLine(const std::string& line) {
    // Opened for each line and shared, so a reader sees every call as soon as it is made and
    // several processes may write one journal.
    EnterCriticalSection(&journalLock);
    const DWORD waited = journalWriters ? WaitForSingleObject(journalWriters, kLongestWriterWaitMs) : WAIT_FAILED;
    bool named = false;
    const std::wstring path = journalPath(named);
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, sharing, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    if (file != INVALID_HANDLE_VALUE && !named && GetFileSizeEx(file, &size) &&
        size.QuadPart > kLongestDefaultJournal) {
        CloseHandle(file);
        file = CreateFileW(path.c_str(), GENERIC_WRITE, sharing, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(journalWriters);
    LeaveCriticalSection(&journalLock);
}
}  // namespace

void startJournal() {
    InitializeCriticalSection(&journalLock);
    journalWriters = CreateMutexA(nullptr, FALSE, "Zovi effects journal writers");
}

std::wstring journalFile() {
    bool named = false;
    return journalPath(named);
}

JournalLine::JournalLine(const char* table, int slot, const char* call) {
    head = "{\"time\":" + timeNow() + ",\"thread\":" + std::to_string(GetCurrentThreadId()) +
           ",\"table\":\"" + table + "\",\"slot\":" + std::to_string(slot) + ",\"call\":\"" + call + "\"";
}

JournalLine& JournalLine::handle(const std::string& name) {
    head += ",\"handle\":";
    appendJsonString(head, name.data(), name.size());
    return *this;
}

JournalLine& JournalLine::number(const char* name, std::int64_t value) {
    args += std::string(args.empty() ? "" : ",") + "\"" + name + "\":" + std::to_string(value);
    return *this;
}

JournalLine& JournalLine::text(const char* name, const char* value) {
    if (!value) return raw(name, "null");
    return text(name, value, std::char_traits<char>::length(value));
}

JournalLine& JournalLine::text(const char* name, const char* value, std::size_t length) {
    std::string json;
    appendJsonString(json, value, length);
    return raw(name, json);
}

JournalLine& JournalLine::raw(const char* name, const std::string& json) {
    args += std::string(args.empty() ? "" : ",") + "\"" + name + "\":" + json;
    return *this;
}

JournalLine& JournalLine::detail(const char* name, const std::string& json) {
    details += std::string(",\"") + name + "\":" + json;
    return *this;
}

void JournalLine::write(std::int64_t result) {
    appendLine(head + ",\"args\":{" + args + "},\"result\":" + std::to_string(result) + details +
               "}\n");
}
