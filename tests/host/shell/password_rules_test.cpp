#include <gtest/gtest.h>

#include "shell/password_rules.h"

namespace {
VerifyState loaded(std::uint32_t lastTick) { return VerifyState{false, false, true, lastTick}; }
}  // namespace

TEST(PasswordRules, TheFirstCloseAlwaysAsks) {
    EXPECT_EQ(verificationStep(loaded(kNoVerificationYet), 0), VerifyStep::Ask);
    EXPECT_EQ(verificationStep(loaded(kNoVerificationYet), 0xFFFFFFFE), VerifyStep::Ask);
}

TEST(PasswordRules, ACloseWithin200MsOfARefusedPromptIsRefusedWithoutAsking) {
    EXPECT_EQ(verificationStep(loaded(1000), 1000), VerifyStep::Refuse);
    EXPECT_EQ(verificationStep(loaded(1000), 1199), VerifyStep::Refuse);
    EXPECT_EQ(verificationStep(loaded(1000), 1200), VerifyStep::Ask);
    // Across a wrap of the tick count.
    EXPECT_EQ(verificationStep(loaded(0xFFFFFF9C), 99), VerifyStep::Refuse);   // 199 ms later
    EXPECT_EQ(verificationStep(loaded(0xFFFFFF9C), 100), VerifyStep::Ask);     // 200 ms later
}

TEST(PasswordRules, OpenPromptApprovalAndNoVerifier) {
    EXPECT_EQ(verificationStep(VerifyState{true, false, true, kNoVerificationYet}, 5), VerifyStep::Refuse);
    EXPECT_EQ(verificationStep(VerifyState{false, true, true, kNoVerificationYet}, 5), VerifyStep::Refuse);
    EXPECT_EQ(verificationStep(VerifyState{false, false, false, 1000}, 1001), VerifyStep::Approve);
}
