#pragma once
#include <windows.h>

// The doubles of the platform's password modules note what the saver asked of them in the file that
// ZOVI_DOUBLE_JOURNAL names, and take their answer from the file ZOVI_DOUBLE_ANSWER names.
inline void appendJournalLine(const char* line) {
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("ZOVI_DOUBLE_JOURNAL", path, MAX_PATH)) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}

// The first word of the answer file, "" when there is none.
inline void readAnswer(char* answer, DWORD size) {
    char path[MAX_PATH];
    DWORD read = 0;
    HANDLE file = GetEnvironmentVariableA("ZOVI_DOUBLE_ANSWER", path, MAX_PATH)
                      ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
    if (file != INVALID_HANDLE_VALUE) ReadFile(file, answer, size - 1, &read, nullptr), CloseHandle(file);
    answer[read] = '\0';
    for (DWORD i = 0; i < read; ++i)
        if (answer[i] == '\r' || answer[i] == '\n' || answer[i] == ' ') answer[i] = '\0';
}
