// Random message streams through the saver window's rules, with the shell's state carried along as
// the Windows layer carries it. Invariants: a preview never closes, no close rule runs once closing
// is approved (a monitor power-down may still post the close that is under way anyway), the mouse
// reference moves only when a move closes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/close_rules.h"
#include "shell/message_numbers.h"
#include "shell/password_rules.h"

namespace {
template <typename T>
T take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SaverWindowFlags flags;
    const std::uint8_t mode = take<std::uint8_t>(data, size);
    flags.previewMode = mode & 1;
    flags.win9xPlatform = mode & 2;
    const bool verifierLoaded = mode & 4;
    CursorPoint saved = {take<std::int16_t>(data, size), take<std::int16_t>(data, size)};
    std::uint32_t lastVerifyTick = kNoVerificationYet;
    while (size > 0) {
        const std::uint32_t message = take<std::uint16_t>(data, size);
        const std::uintptr_t wParam = take<std::uint16_t>(data, size);
        const std::intptr_t lParam = take<std::int8_t>(data, size);
        const CursorPoint now = {take<std::int16_t>(data, size), take<std::int16_t>(data, size)};
        const std::uint32_t tick = take<std::uint32_t>(data, size);

        const FilterAction filter = saverWindowFilter(flags, message, wParam);
        if (filter == FilterAction::ForwardToParentAnswerOne && !flags.previewMode) std::abort();
        if (filter == FilterAction::PostCloseThenPassOn && flags.previewMode) std::abort();
        const bool reachesDefault = filter == FilterAction::PassOn || filter == FilterAction::HideCursorThenPassOn ||
                                    filter == FilterAction::PostCloseThenPassOn;
        if (!reachesDefault) continue;

        const DefaultRoute route = defaultSaverRoute(flags, message);
        if ((flags.previewMode || flags.closeApproved) && route != DefaultRoute::Default) std::abort();
        if (route == DefaultRoute::VerifyBeforeClose) {
            const VerifyStep step = verificationStep(
                VerifyState{flags.verifyingPassword, flags.closeApproved, verifierLoaded, lastVerifyTick}, tick);
            if (step == VerifyStep::Approve) flags.closeApproved = true;
            if (step == VerifyStep::Ask) {
                flags.closeApproved = tick & 1;  // the prompt's answer
                lastVerifyTick = tick;
            }
            if (step == VerifyStep::Ask && !verifierLoaded) std::abort();
        }
        if (route != DefaultRoute::CloseRules) continue;
        if (closeRuleFor(message, wParam, lParam) == CloseRule::MouseTravel &&
            mouseTravelCloses(saved, now, 4, 96)) {
            if (now.x == saved.x && now.y == saved.y) std::abort();
            saved = now;
        }
    }
    return 0;
}
