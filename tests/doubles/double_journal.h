#pragma once
#include <windows.h>

#include <cstdio>

// The doubles of the platform's password modules tell the tests what the saver asked of them by
// appending lines to the file that ZOVI_DOUBLE_JOURNAL names.
inline void appendJournalLine(const char* line) {
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("ZOVI_DOUBLE_JOURNAL", path, MAX_PATH)) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}

// The answer the test wants next: the first word of the file that ZOVI_DOUBLE_ANSWER names.
inline void readAnswer(char* answer, DWORD size) {
    answer[0] = '\0';
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("ZOVI_DOUBLE_ANSWER", path, MAX_PATH)) return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD read = 0;
    ReadFile(file, answer, size - 1, &read, nullptr);
    CloseHandle(file);
    answer[read] = '\0';
    for (DWORD i = 0; i < read; ++i)
        if (answer[i] == '\r' || answer[i] == '\n' || answer[i] == ' ') answer[i] = '\0';
}
