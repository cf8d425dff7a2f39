#include "shell/close_rules.h"

namespace {
// The platform's message and command numbers the rules are written in.
constexpr std::uint32_t WM_CREATE_ = 0x0001, WM_DESTROY_ = 0x0002, WM_SETTEXT_ = 0x000C,
                        WM_PAINT_ = 0x000F, WM_CLOSE_ = 0x0010, WM_SHOWWINDOW_ = 0x0018,
                        WM_ACTIVATEAPP_ = 0x001C, WM_SETCURSOR_ = 0x0020, WM_POWER_ = 0x0048,
                        WM_HELP_ = 0x0053, WM_CONTEXTMENU_ = 0x007B, WM_KEYDOWN_ = 0x0100,
                        WM_SYSKEYDOWN_ = 0x0104, WM_SYSCOMMAND_ = 0x0112, WM_TIMER_ = 0x0113,
                        WM_MOUSEMOVE_ = 0x0200, WM_LBUTTONDOWN_ = 0x0201, WM_RBUTTONDOWN_ = 0x0204,
                        WM_MBUTTONDOWN_ = 0x0207, WM_POWERBROADCAST_ = 0x0218;
constexpr std::uintptr_t SC_NEXTWINDOW_ = 0xF040, SC_PREVWINDOW_ = 0xF050, SC_SCREENSAVE_ = 0xF140,
                         SC_MONITORPOWER_ = 0xF170;
constexpr std::uintptr_t PWR_CRITICALRESUME_ = 3;
constexpr std::uintptr_t PBT_APMPOWERSTATUSCHANGE_ = 0x000A;
constexpr std::intptr_t PBTF_APMRESUMEFROMFAILURE_ = 1;

bool isInput(std::uint32_t message) {
    return message == WM_KEYDOWN_ || message == WM_SYSKEYDOWN_ || message == WM_MOUSEMOVE_ ||
           message == WM_LBUTTONDOWN_ || message == WM_RBUTTONDOWN_ || message == WM_MBUTTONDOWN_;
}

CloseRule powerBroadcastRule(std::uintptr_t event, std::intptr_t lParam) {
    const bool resumedFromFailure = (lParam & PBTF_APMRESUMEFROMFAILURE_) != 0;
    switch (event) {
    case 0x0006:  // resume critical
    case 0x0007:  // resume suspend
    case 0x0008:  // resume standby
    case 0x0012:  // resume automatic
        return resumedFromFailure ? CloseRule::None : CloseRule::Close;
    case PBT_APMPOWERSTATUSCHANGE_: return CloseRule::PowerStatusChange;
    default: return CloseRule::Close;  // queries, suspends, battery low, OEM and unknown events
    }
}
}  // namespace

FilterAction saverWindowFilter(const SaverWindowFlags& flags, std::uint32_t message,
                               std::uintptr_t wParam) {
    switch (message) {
    case WM_CREATE_: return FilterAction::CreateThenPassOn;
    case WM_DESTROY_: return FilterAction::DestroyThenPassOn;
    case WM_SETTEXT_: return FilterAction::AnswerZero;
    case WM_PAINT_:
        if (flags.closeApproved) return FilterAction::DefaultWindowProc;
        return flags.previewMode ? FilterAction::PassOn : FilterAction::HideCursorThenPassOn;
    case WM_HELP_:
    case WM_CONTEXTMENU_:
        return flags.previewMode ? FilterAction::ForwardToParentAnswerOne : FilterAction::PassOn;
    case WM_SYSCOMMAND_:
        if (flags.previewMode) return FilterAction::PassOn;
        // The whole wParam is compared: its low four bits are not masked off.
        if (wParam == SC_NEXTWINDOW_ || wParam == SC_PREVWINDOW_ || wParam == SC_SCREENSAVE_)
            return FilterAction::AnswerZero;
        if (wParam == SC_MONITORPOWER_) return FilterAction::PostCloseThenPassOn;
        return FilterAction::PassOn;
    case WM_TIMER_:
        return flags.closeApproved ? FilterAction::AnswerZero : FilterAction::SleepThenPassOn;
    default:
        if (isInput(message) && flags.closeApproved) return FilterAction::DefaultWindowProc;
        return FilterAction::PassOn;
    }
}

DefaultRoute defaultSaverRoute(const SaverWindowFlags& flags, std::uint32_t message) {
    if (flags.previewMode || flags.closeApproved) return DefaultRoute::Default;
    if (message == WM_CLOSE_)
        return flags.win9xPlatform ? DefaultRoute::VerifyBeforeClose : DefaultRoute::Default;
    if (message == kVerifyPasswordRequest)
        return flags.win9xPlatform ? DefaultRoute::AnswerVerification : DefaultRoute::Default;
    if (flags.verifyingPassword) return DefaultRoute::Default;
    return DefaultRoute::CloseRules;
}

CloseRule closeRuleFor(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case WM_KEYDOWN_:
    case WM_SYSKEYDOWN_:
    case WM_LBUTTONDOWN_:
    case WM_RBUTTONDOWN_:
    case WM_MBUTTONDOWN_: return CloseRule::Close;
    case WM_MOUSEMOVE_: return CloseRule::MouseTravel;
    case WM_ACTIVATEAPP_: return wParam == 0 ? CloseRule::Close : CloseRule::None;
    case WM_SHOWWINDOW_: return wParam != 0 ? CloseRule::HideCursor : CloseRule::None;
    case WM_SETCURSOR_: return CloseRule::HideCursorAnswerOne;
    case WM_POWER_: return wParam == PWR_CRITICALRESUME_ ? CloseRule::Close : CloseRule::None;
    case WM_POWERBROADCAST_: return powerBroadcastRule(wParam, lParam);
    default: return CloseRule::None;
    }
}

bool mouseTravelCloses(CursorPoint saved, CursorPoint now, std::uint32_t threshold) {
    const std::int64_t dx = static_cast<std::int64_t>(now.x) - saved.x;
    const std::int64_t dy = static_cast<std::int64_t>(now.y) - saved.y;
    const std::uint64_t travel = static_cast<std::uint64_t>(dx < 0 ? -dx : dx) +
                                 static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
    return travel > threshold;
}
