// A stand-in for the platform's password control panel module: VerifyScreenSavePwd answers as the
// test says ("accept", "refuse", or "prompt": a window that waits for the key y or n), and notes
// each call with whether the saver-running notice was on at that moment.
#include "double_journal.h"

namespace {
constexpr UINT kScreenSaverRunningQuery = 114;  // SPI_GETSCREENSAVERRUNNING
int promptAnswer = -1;

LRESULT CALLBACK promptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR && (wParam == 'y' || wParam == 'n')) {
        promptAnswer = wParam == 'y' ? 1 : 0;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A modal prompt of our own: the owner keeps receiving its messages while it is open.
BOOL runPrompt(HWND owner) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = promptProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "ZoviPasswordDouble";
    RegisterClassA(&windowClass);
    HWND prompt = CreateWindowExA(WS_EX_TOPMOST, "ZoviPasswordDouble", "Zovi password double",
                                  WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 100, 300, 120, owner, nullptr,
                                  windowClass.hInstance, nullptr);
    SetForegroundWindow(prompt);
    SetFocus(prompt);
    appendJournalLine("prompt shown");
    promptAnswer = -1;
    MSG message;
    while (promptAnswer < 0 && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(prompt);
    return promptAnswer == 1;
}
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    BOOL running = FALSE;
    SystemParametersInfoA(kScreenSaverRunningQuery, 0, &running, 0);
    char line[96];
    wsprintfA(line, "verify owner-is-saver=%d running=%d", FindWindowA("WindowsScreenSaverClass", nullptr) == owner,
              running ? 1 : 0);
    appendJournalLine(line);
    char answer[32];
    readAnswer(answer, sizeof answer);
    BOOL accepted = FALSE;
    if (!lstrcmpA(answer, "accept")) accepted = TRUE;
    if (!lstrcmpA(answer, "prompt")) accepted = runPrompt(owner);
    appendJournalLine(accepted ? "answer accept" : "answer refuse");
    return accepted;
}
