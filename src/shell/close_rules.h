#pragma once
#include <cstdint>

// The decisions of the saver window's two procedures, as pure functions over plain values. Message
// numbers and parameters are the platform's; the Windows layer gathers what a rule needs (cursor
// position, power status) and carries out what it decides.

// What the shell's state says about the window at the moment a message arrives.
struct SaverWindowFlags {
    bool previewMode = false;        // a preview child: input and power never close it
    bool closeApproved = false;      // closing was approved: no more frames, input left alone
    bool verifyingPassword = false;  // the password prompt is open: close rules are off
    bool olderFamily = false;        // the saver asks for the password itself
};

// What saverWindowProc does with a message before (or instead of) the render host.
enum class FilterAction {
    PassOn,                    // to renderHostProc as it is
    CreateThenPassOn,          // input method off, cursor position saved and hidden; then pass on
    DestroyThenPassOn,         // input method restored, quit posted; then pass on
    HideCursorThenPassOn,      // painting while running full screen
    SleepThenPassOn,           // a render tick: yield the rest of the time slice first
    PostCloseThenPassOn,       // the monitor is being powered down
    ForwardToParentAnswerOne,  // help requests from a preview go to the preview's parent
    AnswerZero,                // swallowed: the title never changes, no task switch, no nested saver
    DefaultWindowProc,         // once closing is approved, straight to the platform's default
};
FilterAction saverWindowFilter(const SaverWindowFlags& flags, std::uint32_t message, std::uintptr_t wParam);

// Where defaultSaverProc sends a message.
enum class DefaultRoute {
    Default,              // the auto-play check, then the platform's default window procedure
    VerifyBeforeClose,    // WM_CLOSE on the older family: ask for the password first
    AnswerVerification,   // the private verification request
    CloseRules,           // the input and power rules below, then Default
};
DefaultRoute defaultSaverRoute(const SaverWindowFlags& flags, std::uint32_t message);

// What the close rules make of one message.
enum class CloseRule {
    None,                 // nothing
    Close,                // post WM_CLOSE
    MouseTravel,          // close if the cursor went further than the threshold from the saved place
    PowerStatusChange,    // close if the AC-line status differs from the one last seen
    HideCursor,           // the window is being shown
    HideCursorAnswerOne,  // WM_SETCURSOR: answered at once
};
CloseRule closeRuleFor(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

struct CursorPoint {
    std::int32_t x;
    std::int32_t y;
};

// The screen's pixels per logical inch, as a display at 100 % has them.
constexpr std::uint32_t kStandardDpi = 96;

// Whether the cursor's travel (horizontal plus vertical distance) from saved exceeds threshold. The
// threshold is in pixels of a 96-dpi screen and the cursor in the screen's own pixels at dpi, so the
// same nudge of the mouse means the same on every display.
bool mouseTravelCloses(CursorPoint saved, CursorPoint now, std::uint32_t threshold, std::uint32_t dpi);

// The private message that asks the window, on its own thread, to run the password prompt.
constexpr std::uint32_t kVerifyPasswordRequest = 0x8000;
// The status byte standing for a failed power-status query.
constexpr std::uint8_t kUnknownAcLineStatus = 255;
