#pragma once

// The user must never be locked out by a saver that cannot start or cannot end: an engine call that
// never returns would otherwise hold the saver window's creation or destruction for good, and a
// window that exists makes every later full-screen start bring it to the front and leave. The
// watchdog guards the window the process runs for, at both ends:
// - its WM_CREATE must return within 10 s, or the process ends with -1, as a fault does;
// - from its WM_DESTROY on, some step of the teardown (the animation thread's end, each release,
//   the release callback, the server thread's end) must complete every 3 s, or the process ends
//   with 0, the code the user's close gives. A slow engine gets all the time its steps take.
// Either way the saver-running notice is withdrawn first and the effects engine given its last word
// (effects_last_word.h). The logo is never destroyed under a
// thread that may still use it: the process ends instead. One watchdog per process, with a thread
// of its own from the first start on; it lives until the process ends.
void watchStartUp(bool olderFamily);
void startUpDone();
void watchTeardown(bool olderFamily);

constexpr unsigned kStartUpLimitMs = 10000;
constexpr unsigned kTeardownStallMs = 3000;
