#pragma once
#include <windows.h>

#include <functional>

// Dispatches this thread's messages until the condition holds or timeoutMs pass; says which.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Dispatches this thread's messages for a while: for checking that something does NOT happen.
void pumpFor(DWORD milliseconds);

// A saver window of the real class, made as the shell makes it (full screen when parent is null),
// destroyed and its class unregistered at the end of the scope so the next test starts afresh.
class TestSaverWindow {
public:
    explicit TestSaverWindow(HWND parent = nullptr);
    ~TestSaverWindow();
    void destroy();
    HWND handle() const { return window; }

private:
    HWND window = nullptr;
};
