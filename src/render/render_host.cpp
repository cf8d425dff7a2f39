#include "render/render_host.h"

#include <cstdlib>

#include "effects/effects_client.h"
#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/animation_thread.h"
#include "render/pixel_format.h"
#include "render/projection.h"
#include "settings/settings_store.h"
#include "shell/saver_window.h"

namespace {
constexpr UINT_PTR kRenderTimerId = 1;
constexpr UINT kRenderTimerMs = 10;

std::uint32_t systemTickCount() { return GetTickCount(); }
int runtimeRandomDraw() { return std::rand(); }
const LogoClock kSystemClock = {systemTickCount, runtimeRandomDraw};

struct RenderHostState {
    HDC deviceContext = nullptr;     // the window's own DC (the class has CS_OWNDC)
    HGLRC glContext = nullptr;       // current on the window thread while running
    int width = 0;                   // outer size of the window at creation, in pixels
    int height = 0;
    RenderState* renderState = nullptr;  // made at the first creation, kept until the process ends
    LogoClock clock = kSystemClock;
};
RenderHostState host;
RenderHostCounters counters;

void createRenderHost(HWND window) {
    const SaverSettings settings = loadSettings();
    if (!host.renderState) host.renderState = new RenderState;
    host.deviceContext = GetDC(window);
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    host.width = bounds.right - bounds.left;
    host.height = bounds.bottom - bounds.top;
    setUpPixelFormat(host.deviceContext);
    host.glContext = wglCreateContext(host.deviceContext);
    wglMakeCurrent(host.deviceContext, host.glContext);
    setUpScene(*host.renderState, settings.fadeToBackground, settings.lightsEnabled,
               settings.fansEnabled, settings.rumblesEnabled, host.clock, kEngineEffectsClient);
    setUpProjection(host.width, host.height);
    startAnimationThread(*host.renderState, host.clock);
    SetTimer(window, kRenderTimerId, kRenderTimerMs, nullptr);
}

void renderTick() {
    // A tick that was queued before the window went away finds no logo and draws nothing.
    if (!host.renderState || !host.renderState->logo) return;
    drawFrame(*host.renderState);
    counters.framesDrawn++;
    wakeAnimationThread();
    SwapBuffers(host.deviceContext);
}

void destroyRenderHost(HWND window) {
    requestAnimationStop();
    KillTimer(window, kRenderTimerId);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(host.glContext);
    host.glContext = nullptr;
    ReleaseDC(window, host.deviceContext);
    host.deviceContext = nullptr;
    // The logo may only go once no advance is running and none can start.
    joinAnimationThread();
    if (host.renderState) host.renderState->logo.reset();
}
}  // namespace

LRESULT renderHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: createRenderHost(window); return 0;
    case WM_TIMER: renderTick(); return 0;
    case WM_DESTROY: destroyRenderHost(window); return 0;
    default: return defaultSaverProc(window, message, wParam, lParam);
    }
}

RenderHostCounters& renderHostCounters() { return counters; }

const RenderState* renderHostState() { return host.renderState; }

void setRenderHostClock(const LogoClock& clock) { host.clock = clock; }

const LogoClock& systemLogoClock() { return kSystemClock; }
