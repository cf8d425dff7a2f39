#include "shell/close_rules.h"

#include "shell/message_numbers.h"

namespace {
using namespace msg;

bool isInput(std::uint32_t message) {
    return message == WM_KEYDOWN_ || message == WM_SYSKEYDOWN_ || message == WM_MOUSEMOVE_ ||
           message == WM_LBUTTONDOWN_ || message == WM_RBUTTONDOWN_ || message == WM_MBUTTONDOWN_;
}

CloseRule powerBroadcastRule(std::uintptr_t event, std::intptr_t lParam) {
    const bool resumedFromFailure = (lParam & PBTF_APMRESUMEFROMFAILURE_) != 0;
    switch (event) {
    case PBT_APMRESUMECRITICAL_:
    case PBT_APMRESUMESUSPEND_:
    case PBT_APMRESUMESTANDBY_:
    case PBT_APMRESUMEAUTOMATIC_:
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
        return flags.olderFamily ? DefaultRoute::VerifyBeforeClose : DefaultRoute::Default;
    if (message == kVerifyPasswordRequest)
        return flags.olderFamily ? DefaultRoute::AnswerVerification : DefaultRoute::Default;
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

bool mouseTravelCloses(CursorPoint saved, CursorPoint now, std::uint32_t threshold, std::uint32_t dpi) {
    const std::int64_t dx = static_cast<std::int64_t>(now.x) - saved.x;
    const std::int64_t dy = static_cast<std::int64_t>(now.y) - saved.y;
    const std::uint64_t travel = static_cast<std::uint64_t>(dx < 0 ? -dx : dx) +
                                 static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
    // travel / dpi > threshold / 96, without a division's rounding; an unknown dpi counts as 96.
    return travel * kStandardDpi > static_cast<std::uint64_t>(threshold) * (dpi ? dpi : kStandardDpi);
}
