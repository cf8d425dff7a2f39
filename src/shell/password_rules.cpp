#include "shell/password_rules.h"

VerifyStep verificationStep(const VerifyState& state, std::uint32_t now) {
    if (state.verifyingPassword || state.closeApproved) return VerifyStep::Refuse;
    if (!state.verifierLoaded) return VerifyStep::Approve;
    if (state.lastVerifyTick != kNoVerificationYet && now - state.lastVerifyTick < kReaskGuardMs)
        return VerifyStep::Refuse;
    return VerifyStep::Ask;
}
