// A stand-in for the platform's password control panel module: VerifyScreenSavePwd answers as the
// test says ("accept", "refuse", or "prompt": a modal window that stays open until the answer file
// says "prompt-accept" or "prompt-refuse"), and notes each call with whether the saver-running
// notice was on at that moment.
#include "double_journal.h"

namespace {
constexpr UINT kScreenSaverRunningQuery = 114;  // SPI_GETSCREENSAVERRUNNING

// The prompt's answer once the test has given it: 1 accept, 0 refuse, -1 not yet.
int promptAnswer() {
    char answer[32];
    readAnswer(answer, sizeof answer);
    if (!lstrcmpA(answer, "prompt-accept")) return 1;
    if (!lstrcmpA(answer, "prompt-refuse")) return 0;
    return -1;
}

// A modal prompt of our own: the owner keeps receiving its messages while it is open.
BOOL runPrompt(HWND owner) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "ZoviPasswordDouble";
    RegisterClassA(&windowClass);
    HWND prompt = CreateWindowExA(WS_EX_TOPMOST, "ZoviPasswordDouble", "Zovi password double",
                                  WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 100, 300, 120, owner, nullptr,
                                  windowClass.hInstance, nullptr);
    SetForegroundWindow(prompt);
    appendJournalLine("prompt shown");
    // A modal loop like the platform's prompt: the owner's messages keep flowing meanwhile.
    int answer = -1;
    while ((answer = promptAnswer()) < 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DestroyWindow(prompt);
    return answer == 1;
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
