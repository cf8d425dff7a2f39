#include "process/sent_message_wait.h"

DWORD waitHandlingSentMessages(DWORD count, const HANDLE* handles) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + count) return woken;
        // Looking at the queue delivers the messages sent to this thread; nothing posted is taken.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
