// A password control panel module that lacks the verifier: the saver must free it and ask nothing.
#include "double_journal.h"

extern "C" __declspec(dllexport) BOOL WINAPI SomethingElse(HWND) {
    appendJournalLine("something else");
    return TRUE;
}
