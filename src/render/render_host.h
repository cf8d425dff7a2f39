#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "logo/logo_clock.h"

struct RenderState;

// The saver window's procedure below the shell: WM_CREATE builds the GL surface and the scene,
// WM_TIMER draws a frame and wakes the animation thread, WM_DESTROY tears everything down. Every
// other message goes on to the shell's defaultSaverProc.
LRESULT renderHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the render host has done so far in this process: read by tests and the benchmark.
struct RenderHostCounters {
    std::atomic<std::uint32_t> framesDrawn{0};
    std::atomic<std::uint32_t> advancesRun{0};
};
RenderHostCounters& renderHostCounters();

// The render state that the saver window set up, null before the first window: read by tests.
const RenderState* renderHostState();

// The clock of the next window's logo; the saver keeps the system's tick count and rand().
void setRenderHostClock(const LogoClock& clock);
const LogoClock& systemLogoClock();
