#pragma once
#include <windows.h>

// Waits for the first of the handles, like WaitForMultipleObjects, while messages that other threads
// send to windows of this thread are handled: a thread we wait for may be one that sends to us (an
// engine may send to the saver window as it ends), and a plain wait would deadlock with it. Posted
// messages stay queued. Gives what WaitForMultipleObjects gives.
DWORD waitHandlingSentMessages(DWORD count, const HANDLE* handles);
