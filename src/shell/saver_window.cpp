#include "shell/saver_window.h"

#include "link/saver_window_class.h"
#include "process/process_watchdog.h"
#include "shell/message_numbers.h"

namespace {
const char kFullScreenTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";
constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr UINT kHelpForwardMs = 2000;

// The pure core's rules are written in its own copies of the platform's numbers: they must agree.
static_assert(msg::WM_CREATE_ == WM_CREATE && msg::WM_DESTROY_ == WM_DESTROY && msg::WM_SETTEXT_ == WM_SETTEXT &&
              msg::WM_PAINT_ == WM_PAINT && msg::WM_CLOSE_ == WM_CLOSE && msg::WM_SHOWWINDOW_ == WM_SHOWWINDOW &&
              msg::WM_ACTIVATEAPP_ == WM_ACTIVATEAPP && msg::WM_SETCURSOR_ == WM_SETCURSOR &&
              msg::WM_POWER_ == WM_POWER && msg::WM_HELP_ == WM_HELP && msg::WM_CONTEXTMENU_ == WM_CONTEXTMENU &&
              msg::WM_NCHITTEST_ == WM_NCHITTEST && msg::WM_KEYDOWN_ == WM_KEYDOWN &&
              msg::WM_SYSKEYDOWN_ == WM_SYSKEYDOWN && msg::WM_SYSCOMMAND_ == WM_SYSCOMMAND &&
              msg::WM_TIMER_ == WM_TIMER && msg::WM_MOUSEMOVE_ == WM_MOUSEMOVE &&
              msg::WM_LBUTTONDOWN_ == WM_LBUTTONDOWN && msg::WM_RBUTTONDOWN_ == WM_RBUTTONDOWN &&
              msg::WM_MBUTTONDOWN_ == WM_MBUTTONDOWN && msg::WM_POWERBROADCAST_ == WM_POWERBROADCAST &&
              msg::SC_NEXTWINDOW_ == SC_NEXTWINDOW && msg::SC_PREVWINDOW_ == SC_PREVWINDOW &&
              msg::SC_SCREENSAVE_ == SC_SCREENSAVE && msg::SC_MONITORPOWER_ == SC_MONITORPOWER &&
              msg::PWR_CRITICALRESUME_ == PWR_CRITICALRESUME && msg::PBT_APMRESUMECRITICAL_ == PBT_APMRESUMECRITICAL &&
              msg::PBT_APMRESUMESUSPEND_ == PBT_APMRESUMESUSPEND && msg::PBT_APMRESUMESTANDBY_ == PBT_APMRESUMESTANDBY &&
              msg::PBT_APMPOWERSTATUSCHANGE_ == PBT_APMPOWERSTATUSCHANGE &&
              msg::PBT_APMRESUMEAUTOMATIC_ == PBT_APMRESUMEAUTOMATIC &&
              msg::PBTF_APMRESUMEFROMFAILURE_ == PBTF_APMRESUMEFROMFAILURE,
              "the core's message numbers are the platform's");
static_assert(kUnknownAcLineStatus == AC_LINE_UNKNOWN, "the core's unknown power line is the platform's");

// The window whose creation is under way on this thread: its first message ties it to its handle.
// The creation parameter stays null, as the desktop's own savers leave it.
thread_local SaverWindow* windowBeingCreated = nullptr;

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

SaverWindowPlan planSaverWindow(SaverWindow& saver, HWND parent) {
    SaverWindowPlan plan = {};
    plan.windowClass.style = kSaverClassStyle;
    plan.windowClass.lpfnWndProc = saverWindowProc;
    plan.windowClass.hInstance = saver.shell.moduleInstance;
    // Resource 100 does not exist (the icon group is 5): the class has no icon, as it always had.
    plan.windowClass.hIcon = LoadIconA(saver.shell.moduleInstance, MAKEINTRESOURCEA(100));
    plan.windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    plan.windowClass.lpszClassName = kSaverWindowClassName;
    if (parent) {
        GetClientRect(parent, &plan.bounds);
        plan.bounds.left = plan.bounds.top = 0;
        plan.style = kPreviewStyle;
        plan.title = kPreviewTitle;
        saver.previewMode = true;
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
    HWND running = FindWindowA(kSaverWindowClassName, kFullScreenTitle);
    if (!running || !IsWindow(running)) return false;
    SetForegroundWindow(running);
    return true;
}

// The saver is DPI aware, so the cursor moves in the screen's own pixels: this many to the inch.
std::uint32_t screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<std::uint32_t>(dpi) : kStandardDpi;
}

std::uint8_t acLineStatusNow() {
    SYSTEM_POWER_STATUS status;
    return GetSystemPowerStatus(&status) ? status.ACLineStatus : kUnknownAcLineStatus;
}

HWND createPlannedWindow(SaverWindow& saver, const SaverWindowPlan& plan, HWND parent) {
    saver.autoPlayMessage =
        saver.shell.olderFamily ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
    // A class left registered by an earlier window of this process is the same class.
    if (!RegisterClassA(&plan.windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    windowBeingCreated = &saver;
    HWND window = CreateWindowExA(plan.exStyle, kSaverWindowClassName, plan.title, plan.style,
                                  plan.bounds.left, plan.bounds.top,
                                  plan.bounds.right - plan.bounds.left,
                                  plan.bounds.bottom - plan.bounds.top, parent, nullptr,
                                  saver.shell.moduleInstance, nullptr);
    windowBeingCreated = nullptr;
    if (window && !parent) SetForegroundWindow(window);
    return window;
}

SaverWindowFlags flagsOf(const SaverWindow& saver) {
    SaverWindowFlags flags;
    flags.previewMode = saver.previewMode;
    flags.closeApproved = saver.password.closeApproved;
    flags.verifyingPassword = saver.password.verifyingPassword;
    flags.olderFamily = saver.shell.olderFamily;
    return flags;
}

void postClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

void switchInputMethodOff(SaverWindow& saver, HWND window) {
    saver.imeModule = GetModuleHandleA("IMM32.DLL");
    if (!saver.imeModule) return;
    saver.associateContextFn = reinterpret_cast<AssociateContextFn>(
        reinterpret_cast<void*>(GetProcAddress(saver.imeModule, "ImmAssociateContext")));
    if (saver.associateContextFn) saver.savedImeContext = saver.associateContextFn(window, nullptr);
}

void restoreInputMethod(SaverWindow& saver, HWND window) {
    if (saver.imeModule && saver.associateContextFn && saver.savedImeContext)
        saver.associateContextFn(window, saver.savedImeContext);
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
bool applyCloseRules(SaverWindow& saver, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                     LRESULT& result) {
    switch (closeRuleFor(message, wParam, lParam)) {
    case CloseRule::None: break;
    case CloseRule::Close: postClose(window); break;
    case CloseRule::MouseTravel: {
        POINT now;
        GetCursorPos(&now);
        const CursorPoint saved = {saver.savedCursorPos.x, saver.savedCursorPos.y};
        if (mouseTravelCloses(saved, CursorPoint{now.x, now.y}, saver.mouseMoveThreshold, saver.screenDpi)) {
            postClose(window);
            saver.savedCursorPos = now;
        }
        break;
    }
    case CloseRule::PowerStatusChange: {
        const std::uint8_t status = acLineStatusNow();
        const bool changed = status != saver.acLineStatus;
        saver.acLineStatus = status;
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

LRESULT filterMessage(SaverWindow& saver, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (saverWindowFilter(flagsOf(saver), message, wParam)) {
    case FilterAction::PassOn: break;
    case FilterAction::CreateThenPassOn:
        if (saver.endsProcess) watchStartUp(saver.shell.olderFamily);
        switchInputMethodOff(saver, window);
        saver.screenDpi = screenDpi();
        GetCursorPos(&saver.savedCursorPos);
        if (!saver.previewMode) SetCursor(nullptr);
        break;
    case FilterAction::DestroyThenPassOn:
        if (saver.endsProcess) watchTeardown(saver.shell.olderFamily);
        restoreInputMethod(saver, window);
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
}  // namespace

SaverWindow* saverWindowOf(HWND window) {
    if (auto* attached = reinterpret_cast<SaverWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
        return attached;
    SaverWindow* creating = windowBeingCreated;
    if (!creating) return nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    windowBeingCreated = nullptr;
    return creating;
}

HWND createSaverWindow(SaverWindow& saver, HWND parent) {
    return createPlannedWindow(saver, planSaverWindow(saver, parent), parent);
}

int runSaverWindow(SaverShellState& shell, HWND parent) {
    SaverWindow saver(shell);
    const SaverWindowPlan plan = planSaverWindow(saver, parent);
    if (!parent) {
        if (bringRunningSaverToFront()) return 0;
        saver.acLineStatus = acLineStatusNow();
        loadPasswordModule(shell);
    }
    int exitCode = 0;
    saver.endsProcess = true;
    if (createPlannedWindow(saver, plan, parent)) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT) exitCode = static_cast<int>(message.wParam);
    }
    unloadPasswordModule(shell);
    return exitCode;
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverWindow* saver = saverWindowOf(window);
    if (!saver) return DefWindowProcA(window, message, wParam, lParam);
    const LRESULT result = filterMessage(*saver, window, message, wParam, lParam);
    if (message == WM_CREATE && saver->endsProcess) startUpDone();
    // The window's last message: nothing of it reaches its saver window any more.
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return result;
}

LRESULT defaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverWindow* saver = saverWindowOf(window);
    if (!saver) return DefWindowProcA(window, message, wParam, lParam);
    switch (defaultSaverRoute(flagsOf(*saver), message)) {
    case DefaultRoute::Default: break;
    case DefaultRoute::VerifyBeforeClose:
        if (!verifyPasswordBeforeClose(saver->password, saver->shell, window)) {
            GetCursorPos(&saver->savedCursorPos);
            return 0;
        }
        break;
    case DefaultRoute::AnswerVerification:
        return saver->shell.verifyPasswordFn ? saver->shell.verifyPasswordFn(window) : 1;
    case DefaultRoute::CloseRules: {
        LRESULT result = 0;
        if (applyCloseRules(*saver, window, message, wParam, lParam, result)) return result;
        break;
    }
    }
    if (saver->autoPlayMessage != 0 && message == saver->autoPlayMessage) {
        // Answering 1 cancels the auto-play that would otherwise run over a locked saver.
        postClose(window);
        return saver->shell.verifyPasswordFn ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
