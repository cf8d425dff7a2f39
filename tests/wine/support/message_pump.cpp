#include "support/message_pump.h"

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT)) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) TranslateMessage(&message), DispatchMessageA(&message);
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
    }
}

TestSaverWindow::TestSaverWindow(HWND parent, bool olderFamily, LogoClock clock) {
    shell.moduleInstance = GetModuleHandleA(nullptr);
    shell.olderFamily = olderFamily;
    saverWindow.render.clock = clock;
    window = createSaverWindow(saverWindow, parent);
}

void TestSaverWindow::destroy() {
    if (window && IsWindow(window)) DestroyWindow(window);
    window = nullptr;
    MSG quit;  // left here, the saver's quit would end the next modal loop
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) continue;
}
