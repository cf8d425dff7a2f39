// The drawing floor the benchmark measures the saver against: the same kind of window, pixel
// format and 10 ms timer, drawing the saver's own frame with the saver's own code and moving the
// sweep inline on the tick; no animation thread, no settings, no effects, no shell.
//
//   zovi-bench-floor draw          the saver's frame (B1)
//   zovi-bench-floor clear         only clearing and swapping (B0)
//   zovi-bench-floor draw controls threads
//                                  B1 plus what every saver process carries whatever it does
//                                  (B1+, to attribute memory): "controls" initialises the common
//                                  controls at start, "threads" adds three threads that only
//                                  wait, where the saver has its animation thread, its effects
//                                  link's server thread and its process watchdog
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "effects/effects_playback.h"
#include "logo/gl_api.h"
#include "logo/logo_drawing.h"
#include "logo/scene_setup.h"
#include "render/pixel_format.h"
#include "render/projection.h"
#include "render/render_session.h"

namespace {
// The floor has no effects: its logo finds no engine and so never calls one.
EffectsCode noEngine(EffectsRoot**, std::int32_t*) { return 2011; }
void nothingToDisconnect() {}
const EffectsClient kNoEffects = {noEngine, nothingToDisconnect};

bool drawLogoFrames = true;
HANDLE carriedThreadsQuit;
HDC deviceContext;
HGLRC glContext;
RenderState* state;

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        deviceContext = GetDC(window);
        RECT bounds;
        GetWindowRect(window, &bounds);
        setUpPixelFormat(deviceContext);
        glContext = wglCreateContext(deviceContext);
        wglMakeCurrent(deviceContext, glContext);
        if (drawLogoFrames) {
            state = new RenderState;
            setUpScene(*state, SaverSettings{false, false, false, false}, systemLogoClock(), kNoEffects);
        }
        setUpProjection(bounds.right - bounds.left, bounds.bottom - bounds.top);
        SetTimer(window, 1, 10, nullptr);
        return 0;
    }
    case WM_TIMER:
        if (drawLogoFrames) {
            drawFrame(*state);
            advanceSweep(*state, systemLogoClock());
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        SwapBuffers(deviceContext);
        return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN: DestroyWindow(window); return 0;
    case WM_DESTROY:
        KillTimer(window, 1);
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(glContext);
        ReleaseDC(window, deviceContext);
        PostQuitMessage(0);
        return 0;
    case WM_SETCURSOR: SetCursor(nullptr); return 1;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI waitUntilQuit(void*) {
    WaitForSingleObject(carriedThreadsQuit, INFINITE);
    return 0;
}

// Loaded by name so that B1 itself does not load the common controls at all.
void initialiseCommonControls() {
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (HMODULE controls = LoadLibraryA("comctl32.dll")) {
        auto init = reinterpret_cast<InitControls>(
            reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")));
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES};
        if (init) init(&classes);
    }
}

constexpr int kCarriedThreads = 3;

void startWaitingThreads(HANDLE (&threads)[kCarriedThreads]) {
    carriedThreadsQuit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < kCarriedThreads; ++i) threads[i] = CreateThread(nullptr, 0, waitUntilQuit, nullptr, 0, nullptr);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    drawLogoFrames = std::strstr(commandLine, "clear") == nullptr;
    HANDLE carriedThreads[kCarriedThreads] = {};
    if (std::strstr(commandLine, "controls")) initialiseCommonControls();
    if (std::strstr(commandLine, "threads")) startWaitingThreads(carriedThreads);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "ZoviBenchFloor";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "ZoviBenchFloor", "Zovi bench floor",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                  nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (carriedThreadsQuit) {
        SetEvent(carriedThreadsQuit);
        WaitForMultipleObjects(kCarriedThreads, carriedThreads, TRUE, INFINITE);
    }
    return 0;
}
