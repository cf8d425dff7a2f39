#include <gtest/gtest.h>

#include "shell/close_rules.h"
#include "shell/message_numbers.h"
#include "shell/password_rules.h"

using namespace msg;

namespace {
SaverWindowFlags flags(bool preview, bool approved, bool verifying = false, bool win9x = false) {
    return SaverWindowFlags{preview, approved, verifying, win9x};
}
using A = FilterAction;
}  // namespace

TEST(SaverWindowFilter, WhatTheShellAnswersItselfInEachState) {
    const SaverWindowFlags running = flags(false, false), preview = flags(true, false), approved = flags(false, true);
    const struct { SaverWindowFlags state; std::uint32_t message; std::uintptr_t wParam; FilterAction action; } rows[] = {
        {running, WM_CREATE_, 0, A::CreateThenPassOn},      {approved, WM_DESTROY_, 0, A::DestroyThenPassOn},
        {preview, WM_SETTEXT_, 0, A::AnswerZero},           {running, WM_NCHITTEST_, 0, A::PassOn},
        {running, WM_PAINT_, 0, A::HideCursorThenPassOn},   {preview, WM_PAINT_, 0, A::PassOn},
        {approved, WM_PAINT_, 0, A::DefaultWindowProc},     {running, WM_TIMER_, 1, A::SleepThenPassOn},
        {approved, WM_TIMER_, 1, A::AnswerZero},            {running, WM_KEYDOWN_, 0, A::PassOn},
        {preview, WM_MOUSEMOVE_, 0, A::PassOn},             {approved, WM_MBUTTONDOWN_, 0, A::DefaultWindowProc},
        {approved, WM_SYSKEYDOWN_, 0, A::DefaultWindowProc}, {preview, WM_HELP_, 0, A::ForwardToParentAnswerOne},
        {preview, WM_CONTEXTMENU_, 0, A::ForwardToParentAnswerOne}, {running, WM_HELP_, 0, A::PassOn},
        // System commands are compared whole, without masking their low four bits.
        {running, WM_SYSCOMMAND_, 0xF040, A::AnswerZero},   {running, WM_SYSCOMMAND_, 0xF050, A::AnswerZero},
        {running, WM_SYSCOMMAND_, 0xF140, A::AnswerZero},   {running, WM_SYSCOMMAND_, 0xF141, A::PassOn},
        {running, WM_SYSCOMMAND_, 0xF170, A::PostCloseThenPassOn}, {running, WM_SYSCOMMAND_, 0xF060, A::PassOn},
        {preview, WM_SYSCOMMAND_, 0xF140, A::PassOn},      {preview, WM_SYSCOMMAND_, 0xF170, A::PassOn},
    };
    for (const auto& r : rows)
        EXPECT_EQ(saverWindowFilter(r.state, r.message, r.wParam), r.action) << std::hex << r.message << " " << r.wParam;
}

TEST(DefaultSaverRoute, ClosingAndVerificationByStateAndFamily) {
    using R = DefaultRoute;
    const SaverWindowFlags nt = flags(false, false), win9x = flags(false, false, false, true),
                           prompting = flags(false, false, true, true);
    const struct { SaverWindowFlags state; std::uint32_t message; DefaultRoute route; } rows[] = {
        {nt, WM_CLOSE_, R::Default}, {win9x, WM_CLOSE_, R::VerifyBeforeClose},
        {prompting, WM_CLOSE_, R::VerifyBeforeClose},  // refused inside the check
        {win9x, kVerifyPasswordRequest, R::AnswerVerification}, {nt, kVerifyPasswordRequest, R::Default},
        {nt, WM_KEYDOWN_, R::CloseRules},
        // No rule applies in preview, once approved, or while the prompt is open.
        {flags(true, false), WM_KEYDOWN_, R::Default}, {flags(true, false, false, true), WM_CLOSE_, R::Default},
        {flags(false, true, false, true), WM_CLOSE_, R::Default}, {prompting, WM_KEYDOWN_, R::Default},
    };
    for (const auto& r : rows) EXPECT_EQ(defaultSaverRoute(r.state, r.message), r.route) << std::hex << r.message;
}

TEST(CloseRules, InputDeactivationCursorAndPower) {
    using C = CloseRule;
    const struct { std::uint32_t message; std::uintptr_t wParam; std::intptr_t lParam; CloseRule rule; } rows[] = {
        {WM_KEYDOWN_, 0, 0, C::Close},      {WM_SYSKEYDOWN_, 0, 0, C::Close},   {WM_LBUTTONDOWN_, 0, 0, C::Close},
        {WM_RBUTTONDOWN_, 0, 0, C::Close},  {WM_MBUTTONDOWN_, 0, 0, C::Close},  {WM_MOUSEMOVE_, 0, 0, C::MouseTravel},
        {WM_ACTIVATEAPP_, 0, 0, C::Close},  {WM_ACTIVATEAPP_, 1, 0, C::None},   {WM_SHOWWINDOW_, 1, 0, C::HideCursor},
        {WM_SHOWWINDOW_, 0, 0, C::None},    {WM_SETCURSOR_, 0, 0, C::HideCursorAnswerOne},
        {WM_POWER_, 3, 0, C::Close},        {WM_POWER_, 2, 0, C::None},         {WM_NCHITTEST_, 0, 0, C::None},
    };
    for (const auto& r : rows) EXPECT_EQ(closeRuleFor(r.message, r.wParam, r.lParam), r.rule) << std::hex << r.message;
    // Every power broadcast closes but a status change, which compares, and a resume from a failure.
    for (std::uintptr_t event = 0; event <= 0x30; ++event) {
        const bool resume = (event >= 6 && event <= 8) || event == 0x12;
        const CloseRule expected = event == 0x0A ? C::PowerStatusChange : C::Close;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 0), expected) << event;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 1), resume ? C::None : expected) << event;
        EXPECT_EQ(closeRuleFor(WM_POWERBROADCAST_, event, 2), expected) << event;  // only bit 0
    }
}

TEST(CloseRules, MouseTravelIsMeasuredFromTheSavedPlaceIn96DpiPixels) {
    const CursorPoint saved = {100, 100};
    const struct { CursorPoint now; std::uint32_t dpi; bool closes; } moves[] = {
        {{102, 102}, 96, false}, {{102, 103}, 96, true}, {{96, 100}, 96, false}, {{100, 95}, 96, true},
        {{104, 104}, 192, false}, {{104, 105}, 192, true},  // a 200 % display: 8 of its pixels are 4
        {{103, 103}, 144, false}, {{103, 104}, 144, true},  // 150 %: 6 stay, 7 close
        {{102, 103}, 0, true},                              // an unknown dpi counts as 96
    };
    for (const auto& m : moves)
        EXPECT_EQ(mouseTravelCloses(saved, m.now, 4, m.dpi), m.closes) << m.now.x << "," << m.now.y << " at " << m.dpi;
    EXPECT_TRUE(mouseTravelCloses({-32768, -32768}, {32767, 32767}, 4, 96));
}

TEST(PasswordRules, TheFirstCloseAsksAndOneWithin200MsOfARefusedPromptIsRefusedWithoutAsking) {
    using S = VerifyStep;
    const auto after = [](std::uint32_t lastTick) { return VerifyState{false, false, true, lastTick}; };
    const struct { VerifyState state; std::uint32_t now; VerifyStep step; } rows[] = {
        {after(kNoVerificationYet), 0, S::Ask}, {after(kNoVerificationYet), 0xFFFFFFFE, S::Ask},
        {after(1000), 1000, S::Refuse}, {after(1000), 1199, S::Refuse}, {after(1000), 1200, S::Ask},
        {after(0xFFFFFF9C), 99, S::Refuse}, {after(0xFFFFFF9C), 100, S::Ask},  // 199 and 200 ms across a wrap
        {{true, false, true, kNoVerificationYet}, 5, S::Refuse},                // a prompt is open
        {{false, true, true, kNoVerificationYet}, 5, S::Refuse},                // already approved
        {{false, false, false, 1000}, 1001, S::Approve},                        // no verifier
    };
    for (const auto& r : rows) EXPECT_EQ(verificationStep(r.state, r.now), r.step) << r.state.lastVerifyTick << " " << r.now;
}
