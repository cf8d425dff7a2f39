#include "support/message_pump.h"

#include "shell/saver_window.h"
#include "shell/shell_state.h"

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

TestSaverWindow::TestSaverWindow(HWND parent) {
    shellState = SaverShellState{};
    shellState.moduleInstance = GetModuleHandleA(nullptr);
    window = createSaverWindow(parent);
}

TestSaverWindow::~TestSaverWindow() {
    destroy();
    UnregisterClassA("WindowsScreenSaverClass", GetModuleHandleA(nullptr));
}

void TestSaverWindow::destroy() {
    if (window && IsWindow(window)) DestroyWindow(window);
    window = nullptr;
}
