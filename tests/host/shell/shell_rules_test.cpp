#include <gtest/gtest.h>

#include <string>

#include "shell/close_rules.h"
#include "shell/command_line.h"
#include "shell/message_numbers.h"
#include "shell/password_rules.h"

using namespace msg;

namespace {
const char* nextByte(const char* text) { return *text ? text + 1 : text; }
// Code page 932's lead bytes 0x81..0x9F take the next byte with them.
const char* nextDoubleByteChar(const char* text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    return c >= 0x81 && c <= 0x9F && text[1] ? text + 2 : nextByte(text);
}
}  // namespace

TEST(CommandTail, SkipsTheProgramNameQuotedOrNotAndTheBlanksAfterIt) {
    const struct { const char* line; const char* tail; NextCharFn next = nextByte; } cases[] = {
        {"zovi.scr /s", "/s"}, {"\"C:\\Program Files\\zovi.scr\" /p 123", "/p 123"},
        {"\"C:\\a b\\zovi.scr\"/s", "/s"},           // the option straight after the quote
        {"\"C:\\no closing quote /s", ""},              // an unclosed quote swallows the line
        {"zovi.scr \t \x01 /c", "/c"},                   // tabs and control bytes are blanks here
        {"zovi.scr", ""}, {"", ""}, {"   /s", "/s"},     // no name at all
        {"z\xe9ro.scr /s", "/s"},                        // bytes from 0x80 up belong to the name
        // 0x81 0x22 is one double-byte character whose second byte happens to be a quote.
        {"\"C:\\\x81\"x.scr\" /s", "/s", nextDoubleByteChar}, {"\"C:\\\x81\"x.scr\" /s", "x.scr\" /s"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::string(commandTailStart(c.line, c.next)), c.tail) << c.line;
}

TEST(WindowHandle, ReadsDecimalDigitsWrappingModulo2To32) {
    const struct { const char* text; std::uint32_t handle; } cases[] = {
        {"1234", 1234}, {"1234 99", 1234}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"4294967297", 1},
        {"99999999999999999999", 1661992959u},  // 10^20 - 1 mod 2^32
        {" 12", 0}, {"-12", 0}, {"+12", 0}, {"\xb2\xb3", 0}, {"", 0}, {"09", 9}, {"/9", 0}, {":9", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseWindowHandle(c.text), c.handle) << c.text;
}

TEST(Dispatch, OptionTable) {
    using M = SaverMode;
    const struct { const char* tail; SaverMode mode; std::uint32_t handle; } cases[] = {
        {"", M::ConfigureAlone, 0}, {"/", M::ConfigureAlone, 0}, {" -/ -", M::ConfigureAlone, 0},
        {"-S", M::FullScreen, 0}, {"/ s", M::FullScreen, 0}, {"/saver", M::FullScreen, 0},  // only the letter counts
        {"/x", M::Invalid, 0}, {"/\xf3", M::Invalid, 0},
        {"/\ts", M::Invalid, 0},  // a tab after the separators is a character like any other
        {"/c", M::Configure, 0}, {"/C:1234", M::Configure, 1234},
        {"/c 1234", M::Configure, 0}, {"/c: 1234", M::Configure, 0},  // a colon, then the number at once
        {"/P   1234", M::Preview, 1234}, {"/p1234", M::Preview, 1234}, {"/p", M::Preview, 0},
        {"/p\t1234", M::Preview, 0},  // only spaces are skipped after the letter
        {"/l 77", M::Preview, 77}, {"/L 4294967298", M::Preview, 2}, {"/a 55", M::ChangePassword, 55},
        {"/A", M::ChangePassword, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::make_pair(decideCommand(c.tail).mode, decideCommand(c.tail).handle), std::make_pair(c.mode, c.handle))
            << '"' << c.tail << '"';
}

// Flags in order: preview, close approved, verifying the password, the older family.
using F = SaverWindowFlags;
using A = FilterAction;

TEST(SaverWindowFilter, WhatTheShellAnswersItselfInEachState) {
    const F running = {}, preview = {true}, approved = {false, true};
    const struct { SaverWindowFlags state; std::uint32_t message; std::uintptr_t wParam; FilterAction action; } rows[] = {
        {running, WM_CREATE_, 0, A::CreateThenPassOn},      {approved, WM_DESTROY_, 0, A::DestroyThenPassOn},
        {preview, WM_SETTEXT_, 0, A::AnswerZero},           {approved, WM_NCHITTEST_, 0, A::PassOn},
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
    const F nt = {}, win9x = {false, false, false, true}, prompting = {false, false, true, true};
    const struct { SaverWindowFlags state; std::uint32_t message; DefaultRoute route; } rows[] = {
        {nt, WM_CLOSE_, R::Default}, {win9x, WM_CLOSE_, R::VerifyBeforeClose},
        {prompting, WM_CLOSE_, R::VerifyBeforeClose},  // refused inside the check
        {win9x, kVerifyPasswordRequest, R::AnswerVerification}, {nt, kVerifyPasswordRequest, R::Default},
        {nt, WM_KEYDOWN_, R::CloseRules},
        // No rule applies in preview, once approved, or while the prompt is open.
        {F{true}, WM_KEYDOWN_, R::Default}, {F{true, false, false, true}, WM_CLOSE_, R::Default},
        {F{false, true, false, true}, WM_CLOSE_, R::Default}, {prompting, WM_KEYDOWN_, R::Default},
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
    EXPECT_TRUE(mouseTravelCloses(saved, {201, 100}, 100, 96));  // exact for large thresholds too
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
