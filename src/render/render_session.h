#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "effects/effects_playback.h"
#include "logo/logo_clock.h"
#include "logo/render_state.h"
#include "render/animation_thread.h"
#include "settings/saver_settings.h"

// The saver's own clock: the system's tick count and the runtime's per-thread rand().
LogoClock systemLogoClock();

// The GL surface and the moving logo of one saver window, from the window's creation to its
// destruction: the window thread creates it, draws a frame at each tick of its 10 ms timer and
// destroys it; its animation thread moves the logo in between.
struct RenderSession {
    HDC deviceContext = nullptr;       // the window's own DC (its class has CS_OWNDC)
    HGLRC glContext = nullptr;         // current on the window thread while drawing
    bool drawing = false;              // pixel format and context are in place: frames are drawn
    int width = 0;                     // outer size of the window at creation, in pixels
    int height = 0;
    RenderState renderState;
    AnimationThread animation;
    LogoClock clock = systemLogoClock();     // the system's tick count and rand(); tests set others
    std::atomic<std::uint32_t> framesDrawn{0};  // for tests and the benchmark
};

// WM_CREATE: the GL surface, the scene with the logo's first cycle (which sends the first effects),
// the projection, the animation thread and the render timer. Each GL step is checked: when one
// fails nothing is drawn, and the window stays black while the sweep, the effects and the timer
// run as usual.
void createRenderSession(RenderSession& session, HWND window, const SaverSettings& settings,
                         const EffectsClient& effects);

// WM_TIMER: draws a frame, wakes the animation thread and shows the frame. Never waits.
void renderTick(RenderSession& session);

// WM_DESTROY: stops the timer and the animation thread, lets go of the GL surface, then tears the
// logo down once no advance can be running.
void destroyRenderSession(RenderSession& session, HWND window);
