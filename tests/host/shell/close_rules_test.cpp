#include <gtest/gtest.h>

#include "shell/close_rules.h"
#include "shell/message_numbers.h"

namespace {
using namespace msg;

const std::uint32_t kInput[] = {WM_KEYDOWN_, WM_SYSKEYDOWN_, WM_MOUSEMOVE_,
                                WM_LBUTTONDOWN_, WM_RBUTTONDOWN_, WM_MBUTTONDOWN_};

SaverWindowFlags flags(bool preview, bool approved, bool verifying = false, bool win9x = false) {
    SaverWindowFlags f;
    f.previewMode = preview;
    f.closeApproved = approved;
    f.verifyingPassword = verifying;
    f.win9xPlatform = win9x;
    return f;
}

// Whether a message gets as far as the render host, and from there to defaultSaverProc (which
// the render host skips for creation, destruction and ticks).
bool reachesRenderHost(const SaverWindowFlags& f, std::uint32_t message, std::uintptr_t wParam = 0) {
    switch (saverWindowFilter(f, message, wParam)) {
    case FilterAction::AnswerZero:
    case FilterAction::ForwardToParentAnswerOne:
    case FilterAction::DefaultWindowProc: return false;
    default: return true;
    }
}
bool reachesDefaultSaverProc(const SaverWindowFlags& f, std::uint32_t message, std::uintptr_t wParam = 0) {
    return reachesRenderHost(f, message, wParam) && message != WM_CREATE_ &&
           message != WM_DESTROY_ && message != WM_TIMER_;
}
}  // namespace

TEST(SaverWindowFilter, WhatReachesTheRenderHostAndTheDefaultProcedureInEachState) {
    const SaverWindowFlags running = flags(false, false), preview = flags(true, false),
                           approved = flags(false, true);
    for (const auto& f : {running, preview, approved}) {
        EXPECT_FALSE(reachesRenderHost(f, WM_SETTEXT_));
        EXPECT_TRUE(reachesRenderHost(f, WM_CREATE_));
        EXPECT_TRUE(reachesRenderHost(f, WM_DESTROY_));
        EXPECT_FALSE(reachesDefaultSaverProc(f, WM_CREATE_));
        EXPECT_TRUE(reachesDefaultSaverProc(f, WM_NCHITTEST_));
        EXPECT_TRUE(reachesDefaultSaverProc(f, WM_CLOSE_));
    }
    for (std::uint32_t input : kInput) {
        EXPECT_TRUE(reachesDefaultSaverProc(running, input));
        EXPECT_TRUE(reachesDefaultSaverProc(preview, input));
        EXPECT_EQ(saverWindowFilter(approved, input, 0), FilterAction::DefaultWindowProc);
    }
    EXPECT_EQ(saverWindowFilter(running, WM_TIMER_, 1), FilterAction::SleepThenPassOn);
    EXPECT_EQ(saverWindowFilter(approved, WM_TIMER_, 1), FilterAction::AnswerZero);
    EXPECT_EQ(saverWindowFilter(running, WM_PAINT_, 0), FilterAction::HideCursorThenPassOn);
    EXPECT_EQ(saverWindowFilter(preview, WM_PAINT_, 0), FilterAction::PassOn);
    EXPECT_EQ(saverWindowFilter(approved, WM_PAINT_, 0), FilterAction::DefaultWindowProc);
    for (std::uint32_t help : {WM_HELP_, WM_CONTEXTMENU_}) {
        EXPECT_EQ(saverWindowFilter(preview, help, 0), FilterAction::ForwardToParentAnswerOne);
        EXPECT_TRUE(reachesDefaultSaverProc(running, help));
    }
}

TEST(SaverWindowFilter, SystemCommandsAreComparedWhole) {
    const SaverWindowFlags running = flags(false, false), preview = flags(true, false);
    for (std::uintptr_t swallowed : {0xF040u, 0xF050u, 0xF140u})
        EXPECT_EQ(saverWindowFilter(running, WM_SYSCOMMAND_, swallowed), FilterAction::AnswerZero);
    EXPECT_EQ(saverWindowFilter(running, WM_SYSCOMMAND_, 0xF170), FilterAction::PostCloseThenPassOn);
    EXPECT_EQ(saverWindowFilter(running, WM_SYSCOMMAND_, 0xF141), FilterAction::PassOn);  // unmasked
    EXPECT_EQ(saverWindowFilter(running, WM_SYSCOMMAND_, 0xF060), FilterAction::PassOn);
    for (std::uintptr_t command : {0xF040u, 0xF140u, 0xF170u})
        EXPECT_EQ(saverWindowFilter(preview, WM_SYSCOMMAND_, command), FilterAction::PassOn);
}

TEST(DefaultSaverRoute, ClosingAndVerificationByStateAndFamily) {
    EXPECT_EQ(defaultSaverRoute(flags(false, false), WM_CLOSE_), DefaultRoute::Default);
    EXPECT_EQ(defaultSaverRoute(flags(false, false, false, true), WM_CLOSE_),
              DefaultRoute::VerifyBeforeClose);
    EXPECT_EQ(defaultSaverRoute(flags(false, false, true, true), WM_CLOSE_),
              DefaultRoute::VerifyBeforeClose);  // refused inside the verification itself
    EXPECT_EQ(defaultSaverRoute(flags(false, false, false, true), kVerifyPasswordRequest),
              DefaultRoute::AnswerVerification);
    EXPECT_EQ(defaultSaverRoute(flags(false, false), kVerifyPasswordRequest), DefaultRoute::Default);
    EXPECT_EQ(defaultSaverRoute(flags(false, false), WM_KEYDOWN_), DefaultRoute::CloseRules);
    // No rule applies in preview, once approved, or while the prompt is open.
    EXPECT_EQ(defaultSaverRoute(flags(true, false), WM_KEYDOWN_), DefaultRoute::Default);
    EXPECT_EQ(defaultSaverRoute(flags(true, false, false, true), WM_CLOSE_), DefaultRoute::Default);
    EXPECT_EQ(defaultSaverRoute(flags(false, true, false, true), WM_CLOSE_), DefaultRoute::Default);
    EXPECT_EQ(defaultSaverRoute(flags(false, false, true, true), WM_KEYDOWN_), DefaultRoute::Default);
}

TEST(CloseRules, InputDeactivationAndCursor) {
    for (std::uint32_t close : {WM_KEYDOWN_, WM_SYSKEYDOWN_, WM_LBUTTONDOWN_, WM_RBUTTONDOWN_, WM_MBUTTONDOWN_})
        EXPECT_EQ(closeRuleFor(close, 0, 0), CloseRule::Close);
    EXPECT_EQ(closeRuleFor(WM_MOUSEMOVE_, 0, 0), CloseRule::MouseTravel);
    EXPECT_EQ(closeRuleFor(WM_ACTIVATEAPP_, 0, 0), CloseRule::Close);
    EXPECT_EQ(closeRuleFor(WM_ACTIVATEAPP_, 1, 0), CloseRule::None);
    EXPECT_EQ(closeRuleFor(WM_SHOWWINDOW_, 1, 0), CloseRule::HideCursor);
    EXPECT_EQ(closeRuleFor(WM_SHOWWINDOW_, 0, 0), CloseRule::None);
    EXPECT_EQ(closeRuleFor(WM_SETCURSOR_, 0, 0), CloseRule::HideCursorAnswerOne);
    EXPECT_EQ(closeRuleFor(WM_POWER_, 3, 0), CloseRule::Close);
    EXPECT_EQ(closeRuleFor(WM_POWER_, 2, 0), CloseRule::None);
    EXPECT_EQ(closeRuleFor(WM_NCHITTEST_, 0, 0), CloseRule::None);
}

TEST(CloseRules, EveryRowOfThePowerBroadcastTable) {
    for (std::uintptr_t event = 0; event <= 0x30; ++event) {
        CloseRule expected = CloseRule::Close;
        const bool resume = (event >= 6 && event <= 8) || event == 0x12;
        if (event == 0x0A) expected = CloseRule::PowerStatusChange;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 0), expected) << event;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 1), resume ? CloseRule::None : expected) << event;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 2), expected) << event;  // only bit 0
    }
    EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, 0xFFFF, 0), CloseRule::Close);
}

TEST(CloseRules, MouseTravelIsMeasuredFromTheSavedPlaceIn96DpiPixels) {
    const CursorPoint saved = {100, 100};
    const struct { CursorPoint now; std::uint32_t dpi; bool closes; } moves[] = {
        {{102, 102}, 96, false}, {{102, 103}, 96, true}, {{96, 100}, 96, false}, {{100, 95}, 96, true},
        {{104, 104}, 192, false}, {{104, 105}, 192, true},  // a 200 % display: 8 of its pixels are 4
        {{103, 103}, 144, false}, {{103, 104}, 144, true},  // 150 %: 6 stay, 7 close
        {{102, 103}, 0, true},                              // an unknown dpi counts as 96
        {{32767, 32767}, 96, true},
    };
    for (const auto& m : moves)
        EXPECT_EQ(mouseTravelCloses(saved, m.now, 4, m.dpi), m.closes) << m.now.x << "," << m.now.y << " at " << m.dpi;
    EXPECT_TRUE(mouseTravelCloses({-32768, -32768}, {32767, 32767}, 4, 96));
    EXPECT_FALSE(mouseTravelCloses(saved, saved, 0, 96));
}
