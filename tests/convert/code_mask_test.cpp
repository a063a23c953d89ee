// KIVO_CodeMask.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <random>

#include "convert/convert.h"
#include "convert/models.h"
#include "convert/test_util.h"
#include "tessalink.h"

using testutil::Hex;

namespace {

struct Case {
    const char *name;
    std::string before;  // hexadecimal pairs
    std::string after;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

// Masks a copy of text held in a buffer of its exact size (AddressSanitizer
// sees any access past the terminator).
std::string Mask(const std::string &text, const CodePageTables &codePage)
{
    std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    CodeMask(buffer.get(), codePage);
    return std::string(buffer.get());
}

class CodeMaskTable : public ::testing::TestWithParam<Case> {};

TEST_P(CodeMaskTable, CodePage932)
{
    const Case &c = GetParam();
    EXPECT_EQ(Mask(Hex(c.before), CodePageByNumber(932)), Hex(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Masks, CodeMaskTable,
    ::testing::Values(
        Case{"Rule1RemovesThePartner", "41 EB 9F 42", "41 20 42"},
        Case{"Rule1PartnerMayBeRule1Byte", "EB EB 41", "20 41"},
        Case{"Rule1EC", "EC 40 41", "20 41"},
        Case{"Rule1FC", "FC 4B", "20"},
        Case{"Rule1FDAtTheEnd", "41 42 FD", "41 42 20"},
        Case{"Rule1FDNoLeadByte", "FD 41 42", "20 42"},
        Case{"OnlyEB", "EB EB EB EB EB", "20 20 20"},
        Case{"Rule2LowEnd", "98 73 41", "20 20 41"},
        Case{"Rule2HighEnd", "98 9E", "20 20"},
        Case{"BelowTheRange", "98 72", "98 72"},
        Case{"AboveTheRange", "98 9F", "98 9F"},
        Case{"SecondRange", "ED 40 ED 76", "20 20 ED 76"},
        Case{"SecondRangeEnd", "ED 75 ED 3F", "20 20 ED 3F"},
        Case{"Hiragana", "82 A0", "82 A0"},
        Case{"HalfWidthKatakana", "A1 B1 DF", "A1 B1 DF"},
        Case{"PairsAtCharacterStarts", "41 98 73 42 98 73", "41 20 20 42 20 20"},
        Case{"PairInsideAnotherPair", "82 98 73", "82 98 73"},
        Case{"Rule2IgnoresTheTrailByte", "98 7F", "20 20"},
        Case{"LeadByteBeforeTheTerminator", "41 82", "41 82"},
        Case{"MaskedLeadBeforeTheTerminator", "41 98", "41 98"},
        Case{"PairAfterRemoval", "EB 41 98 73", "20 20 20"},
        Case{"Empty", "", ""}),
    testutil::CaseName());

TEST(CodeMask, SingleByteCodePageAppliesOnlyRule1)
{
    const CodePageTables cp1252 = CodePageByNumber(1252);
    EXPECT_EQ(Mask(Hex("98 73 41 ED 40"), cp1252), Hex("98 73 41 ED 40"));
    EXPECT_EQ(Mask(Hex("41 EB 9F 42 FD"), cp1252), Hex("41 20 42 20"));
    // The pair 98 EB is no pair here: EB is a character start.
    EXPECT_EQ(Mask(Hex("98 EB 41 42"), cp1252), Hex("98 20 42"));
}

TEST(CodeMask, TheExportMasksWithTheLoadTimeCodePage)
{
    if (AnsiTables().codePage != 932)
        GTEST_SKIP() << "TESSALINK_CODEPAGE names another code page";
    std::string text = Hex("41 EB 9F 42 98 73");
    EXPECT_EQ(KIVO_CodeMask(&text[0]), 0);
    EXPECT_EQ(std::string(text.c_str()), Hex("41 20 42 20 20"));
    char empty[1] = {0};
    EXPECT_EQ(KIVO_CodeMask(empty), 0);
    EXPECT_EQ(empty[0], 0);
}

// Agrees with the model of the rules, and never lengthens a text.
TEST(CodeMaskProperty, AgreesWithTheModelAndNeverGrows)
{
    std::mt19937 rng(4301);
    const std::string pool = Hex("41 42 20 0D 0A 40 73 75 7F 80 81 82 98 9E 9F A0 A1 DF E0 EB EC ED FC FD FE FF");
    for (int codePage : {932, 1252}) {
        const CodePageTables tables = CodePageByNumber(static_cast<uint32_t>(codePage));
        model::CodePage cp;
        cp.doubleByte = codePage == 932;
        for (int round = 0; round < 5000; ++round) {
            const std::string text = model::RandomText(rng, pool, rng() % 32);
            const std::string masked = Mask(text, tables);
            ASSERT_EQ(masked, model::CodeMask(text, cp)) << codePage;
            ASSERT_LE(masked.size(), text.size());
        }
    }
}

}  // namespace
