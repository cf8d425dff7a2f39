#include "process/effects_last_word.h"

#include <windows.h>

#include <string>

namespace {
std::string eventName(const char* prefix) {
    std::string digits;
    for (DWORD id = GetCurrentProcessId(); digits.empty() || id; id /= 10) digits.insert(digits.begin(), char('0' + id % 10));
    return prefix + digits;
}
}  // namespace

void giveEffectsTheirLastWord() {
    HANDLE ending = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName(kEffectsEndingEventPrefix).c_str());
    if (!ending) return;
    HANDLE atRest = OpenEventA(SYNCHRONIZE, FALSE, eventName(kEffectsEndedEventPrefix).c_str());
    SetEvent(ending);
    if (atRest) WaitForSingleObject(atRest, kEffectsLastWordMs);
    if (atRest) CloseHandle(atRest);
    CloseHandle(ending);
}
