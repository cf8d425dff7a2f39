// A stand-in for the platform's MPR.DLL: notes the change-password call and its arguments.
#include "double_journal.h"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD first,
                                                                 DWORD second) {
    char line[160];
    wsprintfA(line, "change %s owner=%lu %lu %lu", provider, static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)),
              first, second);
    appendJournalLine(line);
    return 0;
}
