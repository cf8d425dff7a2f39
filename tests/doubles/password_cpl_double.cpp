// A stand-in for the platform's password control panel module: VerifyScreenSavePwd answers as the
// test says ("accept" or "refuse") and notes each call with whether the saver-running notice was on.
#include "double_journal.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    char line[96];
    wsprintfA(line, "verify owner-is-saver=%d running=%d", FindWindowA("WindowsScreenSaverClass", nullptr) == owner,
              running ? 1 : 0);
    appendJournalLine(line);
    char answer[32];
    readAnswer(answer, sizeof answer);
    const BOOL accepted = !lstrcmpA(answer, "accept");
    appendJournalLine(accepted ? "answer accept" : "answer refuse");
    return accepted;
}
