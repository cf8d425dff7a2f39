#include <gtest/gtest.h>

#include "effects/connect_codes.h"

namespace {
EffectsCode codeFor(std::uint32_t hresult) {
    return connectCodeForServerResult(static_cast<std::int32_t>(hresult));
}
}  // namespace

TEST(ConnectCodes, TheClassOrItsInterfaceMissingGives2011) {
    for (std::uint32_t hresult : {0x80004001u, 0x80004002u, 0x8000401Fu, 0x80004020u, 0x80004021u,
                                  0x80004022u, 0x80040110u, 0x80040154u, 0x80070005u, 0x8007007Eu})
        EXPECT_EQ(codeFor(hresult), 2011) << std::hex << hresult;
}

TEST(ConnectCodes, ComThatCannotStartOrNoMemoryGives2003) {
    for (std::uint32_t hresult : {0x80004006u, 0x80004007u, 0x80004008u, 0x80004009u, 0x8000400Cu,
                                  0x8007000Eu})
        EXPECT_EQ(codeFor(hresult), 2003) << std::hex << hresult;
}

TEST(ConnectCodes, ADisabledClassGives2015) { EXPECT_EQ(codeFor(0x80004027u), 2015); }

// The neighbours of every range, and success values, which a start never ends with.
TEST(ConnectCodes, EverythingElseGives2014) {
    for (std::uint32_t hresult : {0x80004003u, 0x80004004u, 0x80004005u, 0x8000400Au, 0x8000400Bu,
                                  0x8000400Du, 0x8000401Eu, 0x80004023u, 0x80004026u, 0x80004028u,
                                  0x8004010Fu, 0x80040111u, 0x80040153u, 0x80040155u, 0x80070004u,
                                  0x80070006u, 0x8007000Du, 0x8007000Fu, 0x8007007Du, 0x8007007Fu,
                                  0x00000000u, 0x00000001u, 0xFFFFFFFFu})
        EXPECT_EQ(codeFor(hresult), 2014) << std::hex << hresult;
}
