// KIVO_4TO3_MEM.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "convert/convert.h"
#include "convert/models.h"
#include "convert/test_util.h"
#include "tessalink.h"

using testutil::Hex;

namespace {

using Case = testutil::ConversionCase;

class FourToThreeTable : public ::testing::TestWithParam<Case> {};

TEST_P(FourToThreeTable, DecodesAndClosesWithAZeroByte)
{
    testutil::ExpectConversion(KIVO_4TO3_MEM, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FourToThreeTable,
    ::testing::Values(
        Case{"FullGroup", "123P", "41 42 43"},
        Case{"TwoCharacters", "1K", "41"},
        Case{"ThreeCharacters", "12O", "41 42"},
        Case{"AllOnes", "zzzz", "FF FF FF"},
        Case{"AllZeros", "0000", "00 00 00"},
        Case{"SeparatorsInsideAGroup", "12 3\r\nP", "41 42 43"},
        Case{"OneAlphabetCharacter", "z", ""},
        Case{"OnlyOutsideTheAlphabet", " \r\n!-<@[`{\x7F\x80\xFF", ""},
        Case{"Empty", "", ""},
        Case{"SixIsThirtyTwo", "0006", "80 00 00"},
        Case{"ColonAndSemicolonAreMembers", "::;;", "A4 64 65"},
        Case{"ValueOrderEnds", "5Z6;az", "85 5F 60 E6"},
        Case{"TwoGroupsAndAShortOne", "123P123P1K", "41 42 43 41 42 43 41"},
        Case{"ShortGroupIgnoresUnusedCarrierBits", "1Z", "41"},
        Case{"LineBreaksBetweenGroups", "123P\r\n123P\r\n", "41 42 43 41 42 43"},
        Case{"HighBytesAreSkipped", "1\x82" "2\xA0" "3P", "41 42 43"}),
    testutil::CaseName());

TEST(FourToThree, ZerosInTheDataAreCounted)
{
    uint8_t out[5];
    std::memset(out, 0xAA, sizeof out);
    ASSERT_EQ(KIVO_4TO3_MEM("0000", out), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(out), 4), std::string(4, '\0'));
}

// Decoding agrees with the per-character model, and never writes beyond the
// exact bound (3 per group of four, 2 or 1 for a short group, plus 1): the
// buffer is allocated to that size, so AddressSanitizer sees any overrun.
TEST(FourToThreeProperty, AgreesWithTheModelWithinTheBound)
{
    std::mt19937 rng(4031);
    const std::string pool =
        "0123456789:;ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
        "0123456789:;ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
        " \r\n\t!/<=>?@[\\]^_`{|}~\x01\x7F\x80\x9F\xE0\xFF";
    for (int round = 0; round < 3000; ++round) {
        const std::string text = model::RandomText(rng, pool, rng() % 64);
        const model::Bytes expected = model::FourToThree(text);
        std::unique_ptr<uint8_t[]> out(new uint8_t[expected.size() + 1]);
        const int32_t n = KIVO_4TO3_MEM(text.c_str(), out.get());
        ASSERT_EQ(n, static_cast<int32_t>(expected.size())) << text;
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.get())) << text;
        ASSERT_EQ(out[expected.size()], 0);
        ASSERT_LE(static_cast<size_t>(n) + 1, text.size() + 1) << "the documented bound";
    }
}

}  // namespace
