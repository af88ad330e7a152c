// The vector scan must see exactly what the plain loops see.
#include "platform/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(ByteScan, VectorAndPlainLoopsAgree)
{
    std::mt19937 random(7);
    // Mostly the bytes that matter, so that every class turns up often.
    const char interesting[] = {'"', ',', '\r', '\n', '\0', '\t', '\x0d', '\x0e', 'a', '\x81', '\xff', ' '};
    for (int round = 0; round < 2000; ++round) {
        // 80 bytes, then the sentinel and padding the reader always has.
        std::string bytes(80 + 16, '\0');
        for (std::size_t i = 0; i + 1 < 80; ++i)
            bytes[i] = interesting[random() % sizeof interesting];
        const platform::ByteMasks fast = platform::scan64(bytes.data());
        const platform::ByteMasks plain = platform::portable::scan64(bytes.data());
        ASSERT_EQ(fast.quotes, plain.quotes);
        ASSERT_EQ(fast.commas, plain.commas);
        ASSERT_EQ(fast.controls, plain.controls);
        for (std::size_t from = 0; from < 64; from += 5)
            ASSERT_EQ(platform::findQuoteOrLineEnd(bytes.data() + from),
                      platform::portable::findQuoteOrLineEnd(bytes.data() + from));
    }
}

TEST(ByteScan, ControlsAreTheBytesUpToCarriageReturn)
{
    std::string bytes(64, 'x');
    bytes[0] = '\0';
    bytes[13] = '\r';
    bytes[14] = '\x0e';
    bytes[63] = '\n';
    const platform::ByteMasks m = platform::scan64(bytes.data());
    EXPECT_EQ(m.controls, (std::uint64_t(1) << 0) | (std::uint64_t(1) << 13) | (std::uint64_t(1) << 63));
}

} // namespace
