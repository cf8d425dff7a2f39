#include "support/message_pump.h"

namespace {
void dispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;  // the saver's own quit: the test decides when to end
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
}  // namespace

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        dispatchPending();
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

TestSaverWindow::TestSaverWindow(HWND parent, bool win9xPlatform, LogoClock clock) {
    shell.moduleInstance = GetModuleHandleA(nullptr);
    shell.win9xPlatform = win9xPlatform;
    saverWindow.render.clock = clock;
    window = createSaverWindow(saverWindow, parent);
}

TestSaverWindow::~TestSaverWindow() { destroy(); }

void TestSaverWindow::destroy() {
    if (window && IsWindow(window)) DestroyWindow(window);
    window = nullptr;
    // The saver's quit is for its own message loop; left here it would end the next modal loop.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
