#include "shell/saver_window.h"

#include "render/render_host.h"
#include "shell/close_rules.h"
#include "shell/exit_watchdog.h"
#include "shell/password.h"
#include "shell/shell_state.h"

namespace {
const char kSaverClassName[] = "WindowsScreenSaverClass";
const char kFullScreenTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";
constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr UINT kHelpForwardMs = 2000;

// Class, place and style of the saver window in its mode.
struct SaverWindowPlan {
    WNDCLASSA windowClass;
    RECT bounds;
    DWORD style;
    DWORD exStyle;
    const char* title;
};

// The virtual screen (all monitors); the screen's clip box when the metrics are not available.
RECT virtualScreenBounds() {
    RECT bounds;
    bounds.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    bounds.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &bounds);
        ReleaseDC(nullptr, screen);
        return bounds;
    }
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    return bounds;
}

SaverWindowPlan planSaverWindow(HWND parent) {
    SaverWindowPlan plan = {};
    plan.windowClass.style = kSaverClassStyle;
    plan.windowClass.lpfnWndProc = saverWindowProc;
    plan.windowClass.hInstance = shellState.moduleInstance;
    // Resource 100 does not exist (the icon group is 5): the class has no icon, as it always had.
    plan.windowClass.hIcon = LoadIconA(shellState.moduleInstance, MAKEINTRESOURCEA(100));
    plan.windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    plan.windowClass.lpszClassName = kSaverClassName;
    if (parent) {
        GetClientRect(parent, &plan.bounds);
        plan.bounds.left = plan.bounds.top = 0;
        plan.style = kPreviewStyle;
        plan.title = kPreviewTitle;
        shellState.previewMode = true;
    } else {
        plan.bounds = virtualScreenBounds();
        plan.style = kFullScreenStyle;
        plan.exStyle = WS_EX_TOPMOST;
        plan.title = kFullScreenTitle;
    }
    return plan;
}

// One full-screen saver at a time: a running one is brought to the front instead.
bool bringRunningSaverToFront() {
    HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
    if (!running || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

std::uint8_t acLineStatusNow() {
    SYSTEM_POWER_STATUS status;
    return GetSystemPowerStatus(&status) ? status.ACLineStatus : kUnknownAcLineStatus;
}

HWND createPlannedWindow(const SaverWindowPlan& plan, HWND parent) {
    shellState.autoPlayMessage =
        shellState.win9xPlatform ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    if (!RegisterClassA(&plan.windowClass)) return nullptr;
    HWND window = CreateWindowExA(plan.exStyle, kSaverClassName, plan.title, plan.style,
                                  plan.bounds.left, plan.bounds.top,
                                  plan.bounds.right - plan.bounds.left,
                                  plan.bounds.bottom - plan.bounds.top, parent, nullptr,
                                  shellState.moduleInstance, nullptr);
    shellState.saverWindow = window;
    if (window && !parent) SetForegroundWindow(window);
    return window;
}

void postClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

void switchInputMethodOff(HWND window) {
    shellState.imeModule = GetModuleHandleA("IMM32.DLL");
    if (!shellState.imeModule) return;
    shellState.associateContextFn = reinterpret_cast<AssociateContextFn>(
        reinterpret_cast<void*>(GetProcAddress(shellState.imeModule, "ImmAssociateContext")));
    if (shellState.associateContextFn)
        shellState.savedImeContext = shellState.associateContextFn(window, nullptr);
}

void restoreInputMethod(HWND window) {
    if (shellState.imeModule && shellState.associateContextFn && shellState.savedImeContext)
        shellState.associateContextFn(window, shellState.savedImeContext);
}

void forwardToParent(HWND window, UINT message, LPARAM lParam) {
    HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent)) return;
    const WPARAM parentParam = reinterpret_cast<WPARAM>(parent);
    if (message != WM_HELP) {
        PostMessageA(parent, message, parentParam, lParam);
        return;
    }
    // WM_HELP points at a HELPINFO, and the platform refuses to post a message that carries a
    // pointer: it would be dropped while the preview claims to have handled it. It is sent instead,
    // with a time limit so a busy parent cannot stall the preview for long.
    DWORD_PTR ignored;
    SendMessageTimeoutA(parent, message, parentParam, lParam, SMTO_ABORTIFHUNG, kHelpForwardMs,
                        &ignored);
}

// Applies the input and power rules; true with result set when the message is answered here.
bool applyCloseRules(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (closeRuleFor(message, wParam, lParam)) {
    case CloseRule::None: break;
    case CloseRule::Close: postClose(window); break;
    case CloseRule::MouseTravel: {
        POINT now;
        GetCursorPos(&now);
        const CursorPoint saved = {shellState.savedCursorPos.x, shellState.savedCursorPos.y};
        if (mouseTravelCloses(saved, CursorPoint{now.x, now.y}, shellState.mouseMoveThreshold)) {
            postClose(window);
            shellState.savedCursorPos = now;
        }
        break;
    }
    case CloseRule::PowerStatusChange: {
        const std::uint8_t status = acLineStatusNow();
        const bool changed = status != shellState.acLineStatus;
        shellState.acLineStatus = status;
        if (changed) postClose(window);
        break;
    }
    case CloseRule::HideCursor: SetCursor(nullptr); break;
    case CloseRule::HideCursorAnswerOne:
        SetCursor(nullptr);
        result = 1;
        return true;
    }
    return false;
}
}  // namespace

HWND createSaverWindow(HWND parent) {
    return createPlannedWindow(planSaverWindow(parent), parent);
}

int runSaverWindow(HWND parent) {
    const SaverWindowPlan plan = planSaverWindow(parent);
    if (!parent) {
        if (bringRunningSaverToFront()) return 0;
        shellState.acLineStatus = acLineStatusNow();
        loadPasswordModule();
    }
    int exitCode = 0;
    shellState.endsWithWindow = true;
    if (createPlannedWindow(plan, parent)) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT) exitCode = static_cast<int>(message.wParam);
    }
    unloadPasswordModule();
    return exitCode;
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (saverWindowFilter(currentSaverWindowFlags(), message, wParam)) {
    case FilterAction::PassOn: break;
    case FilterAction::CreateThenPassOn:
        switchInputMethodOff(window);
        GetCursorPos(&shellState.savedCursorPos);
        if (!shellState.previewMode) SetCursor(nullptr);
        break;
    case FilterAction::DestroyThenPassOn:
        if (shellState.endsWithWindow) armExitWatchdog();
        restoreInputMethod(window);
        PostQuitMessage(0);
        break;
    case FilterAction::HideCursorThenPassOn: SetCursor(nullptr); break;
    case FilterAction::SleepThenPassOn: Sleep(0); break;
    case FilterAction::PostCloseThenPassOn: postClose(window); break;
    case FilterAction::ForwardToParentAnswerOne: forwardToParent(window, message, lParam); return 1;
    case FilterAction::AnswerZero: return 0;
    case FilterAction::DefaultWindowProc: return DefWindowProcA(window, message, wParam, lParam);
    }
    return renderHostProc(window, message, wParam, lParam);
}

LRESULT defaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (defaultSaverRoute(currentSaverWindowFlags(), message)) {
    case DefaultRoute::Default: break;
    case DefaultRoute::VerifyBeforeClose:
        if (!verifyPasswordBeforeClose(window)) {
            GetCursorPos(&shellState.savedCursorPos);
            return 0;
        }
        break;
    case DefaultRoute::AnswerVerification:
        return shellState.verifyPasswordFn ? shellState.verifyPasswordFn(window) : 1;
    case DefaultRoute::CloseRules: {
        LRESULT result = 0;
        if (applyCloseRules(window, message, wParam, lParam, result)) return result;
        break;
    }
    }
    if (shellState.autoPlayMessage != 0 && message == shellState.autoPlayMessage) {
        // Answering 1 cancels the auto-play that would otherwise run over a locked saver.
        postClose(window);
        return shellState.verifyPasswordFn ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
