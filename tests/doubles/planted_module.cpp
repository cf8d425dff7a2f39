// A module planted under a system module's name beside the saver or in the current folder: if it is
// ever loaded, it says so.
#include "double_journal.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) appendJournalLine("planted module loaded");
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
    appendJournalLine("planted verify");
    return TRUE;
}
