// KIVO_HEX2BIN_MEM.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "convert/models.h"
#include "convert/test_util.h"
#include "tessalink.h"

using testutil::Hex;

namespace {

using Case = testutil::ConversionCase;

class HexTable : public ::testing::TestWithParam<Case> {};

TEST_P(HexTable, ConvertsAndClosesWithAZeroByte)
{
    testutil::ExpectConversion(KIVO_HEX2BIN_MEM, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexTable,
    ::testing::Values(
        Case{"ThreeBytes", "41420A", "41 42 0A"},
        Case{"FF", "FF", "FF"},
        Case{"Zero", "00", "00"},
        Case{"SmallFF", "ff", "1F"},
        Case{"Small0a", "0a", "2A"},
        Case{"SmallInTheHighPlace", "a0", "A0"},
        Case{"Empty", "", ""},
        Case{"AllDigits", "0123456789ABCDEF", "01 23 45 67 89 AB CD EF"},
        Case{"SignedHighBytes", "\x80\x80", "50"},  // -176 each: 16 x -176 - 176 = -2992 = 0x50 mod 256
        Case{"SpaceAndG", " G", "10"},              // -16 and 16: -256 + 16 = 0x10 mod 256
        Case{"OddLengthLoneDigitGivesNothing", "414", "41"},
        Case{"OneDigit", "4", ""}),
    testutil::CaseName());

// An odd text never makes the conversion read past its terminator: the text
// is allocated to its exact size (AddressSanitizer sees any overread).
TEST(HexToBinary, OddLengthStopsAtTheTerminator)
{
    std::unique_ptr<char[]> hex(new char[4]);
    std::memcpy(hex.get(), "ABC", 4);
    uint8_t out[3] = {0xAA, 0xAA, 0xAA};
    EXPECT_EQ(KIVO_HEX2BIN_MEM(hex.get(), out), 1);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0xAA);
}

// Any byte text: agrees with the digit-value model, within strlen / 2 + 1.
TEST(HexToBinaryProperty, AgreesWithTheModelWithinTheBound)
{
    std::mt19937 rng(4201);
    std::string pool;
    for (int c = 1; c < 256; ++c)
        pool += static_cast<char>(c);
    pool += "0123456789ABCDEF0123456789ABCDEFabcdef";
    for (int round = 0; round < 3000; ++round) {
        const std::string hex = model::RandomText(rng, pool, rng() % 40);
        const model::Bytes expected = model::HexToBinary(hex);
        std::unique_ptr<uint8_t[]> out(new uint8_t[hex.size() / 2 + 1]);
        const int32_t n = KIVO_HEX2BIN_MEM(hex.c_str(), out.get());
        ASSERT_EQ(n, static_cast<int32_t>(expected.size()));
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.get()));
        ASSERT_EQ(out[expected.size()], 0);
    }
}

}  // namespace
