#pragma once
#include <cstdint>

// When the saver asks for its password before closing (older Windows family). Pure: the Windows
// layer reads the tick count and runs the prompt.

constexpr std::uint32_t kNoVerificationYet = 0xFFFFFFFF;
constexpr std::uint32_t kReaskGuardMs = 200;

enum class VerifyStep {
    Refuse,   // keep the saver, without asking
    Approve,  // close without asking: no verifier is loaded
    Ask,      // run the prompt
};

struct VerifyState {
    bool verifyingPassword;          // a prompt is open right now
    bool closeApproved;              // already approved: nothing more to decide
    bool verifierLoaded;             // a password is wanted and the verifier is there
    std::uint32_t lastVerifyTick;    // when the last prompt closed, or kNoVerificationYet
};

// What a close request leads to at tick now. A close within 200 ms after the last prompt closed
// is refused without asking, across a wrap of the tick count too.
VerifyStep verificationStep(const VerifyState& state, std::uint32_t now);
