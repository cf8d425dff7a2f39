#include "render/render_session.h"

#include <cstdlib>

#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "process/failed_step.h"
#include "render/pixel_format.h"
#include "render/projection.h"

namespace {
constexpr UINT_PTR kRenderTimerId = 1;
constexpr UINT kRenderTimerMs = 10;

std::uint32_t systemTickCount() { return GetTickCount(); }
int runtimeRandomDraw() { return std::rand(); }

// The pixel format, then a context made current on this thread; false at the first step that fails.
bool startDrawing(RenderSession& session) {
    if (!session.deviceContext) {
        reportFailedStep("GetDC");
        return false;
    }
    if (!setUpPixelFormat(session.deviceContext)) return false;
    session.glContext = wglCreateContext(session.deviceContext);
    if (!session.glContext) {
        reportFailedStep("wglCreateContext");
        return false;
    }
    if (wglMakeCurrent(session.deviceContext, session.glContext)) return true;
    reportFailedStep("wglMakeCurrent");
    wglDeleteContext(session.glContext);
    session.glContext = nullptr;
    return false;
}
}  // namespace

LogoClock systemLogoClock() { return LogoClock{systemTickCount, runtimeRandomDraw}; }

void createRenderSession(RenderSession& session, HWND window, const SaverSettings& settings,
                         const EffectsClient& effects) {
    session.deviceContext = GetDC(window);
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    session.width = bounds.right - bounds.left;
    session.height = bounds.bottom - bounds.top;
    session.drawing = startDrawing(session);
    if (session.drawing) {
        setUpScene(session.renderState, settings, session.clock, effects);
        setUpProjection(session.width, session.height);
    } else {
        setUpLogo(session.renderState, settings, session.clock, effects);
    }
    startAnimationThread(session.animation, session.renderState, session.clock);
    SetTimer(window, kRenderTimerId, kRenderTimerMs, nullptr);
}

void renderTick(RenderSession& session) {
    // A tick that was queued before the window went away finds no logo and draws nothing.
    if (!session.renderState.logo) return;
    if (session.drawing) {
        drawFrame(session.renderState);
        session.framesDrawn++;
    }
    wakeAnimationThread(session.animation);
    if (session.drawing) SwapBuffers(session.deviceContext);
}

void destroyRenderSession(RenderSession& session, HWND window) {
    requestAnimationStop(session.animation);
    KillTimer(window, kRenderTimerId);
    if (session.glContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(session.glContext);
        session.glContext = nullptr;
    }
    session.drawing = false;
    if (session.deviceContext) ReleaseDC(window, session.deviceContext);
    session.deviceContext = nullptr;
    // The logo may only go once no advance is running and none can start.
    joinAnimationThread(session.animation);
    session.renderState.logo.reset();
}
