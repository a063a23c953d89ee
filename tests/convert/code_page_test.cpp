// The code page of the conversions (platform/code_page.h).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "convert/convert.h"
#include "platform/code_page.h"

namespace {

TEST(CodePage, Shift_JISLeadAndTrailBytes)
{
    const CodePageTables t = CodePageByNumber(932);
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        EXPECT_EQ(t.IsLead(u), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << b;
        EXPECT_EQ(t.IsTrail(u), (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)) << b;
    }
}

TEST(CodePage, SingleByteCodePagesHaveNoLeadBytes)
{
    for (uint32_t number : {1252u, 437u, 65001u}) {
        const CodePageTables t = CodePageByNumber(number);
        EXPECT_EQ(t.codePage, number);
        for (int b = 0; b < 256; ++b)
            EXPECT_FALSE(t.IsLead(static_cast<unsigned char>(b)));
    }
}

TEST(CodePage, OtherDoubleByteCodePages)
{
    EXPECT_TRUE(CodePageByNumber(936).IsLead(0xFE));
    EXPECT_TRUE(CodePageByNumber(949).IsLead(0x81));
    EXPECT_FALSE(CodePageByNumber(949).IsTrail(0x60));
    EXPECT_FALSE(CodePageByNumber(950).IsTrail(0x80));
    EXPECT_FALSE(CodePageByNumber(950).IsLead(0x80));
}

TEST(CodePage, EnvironmentValue)
{
    EXPECT_EQ(CodePageFromEnvironmentValue(nullptr), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue(""), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue("932"), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue("1252"), 1252u);
    EXPECT_EQ(CodePageFromEnvironmentValue("cp1252"), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue("1252x"), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue("0"), 932u);
    EXPECT_EQ(CodePageFromEnvironmentValue("99999999999999999999"), 932u);
}

TEST(CodePage, AnsiCodePageFollowsTheEnvironment)
{
    const char *saved = std::getenv("TESSALINK_CODEPAGE");
    const std::string keep = saved != nullptr ? saved : "";
    ::setenv("TESSALINK_CODEPAGE", "1252", 1);
    EXPECT_EQ(AnsiCodePage().codePage, 1252u);
    EXPECT_FALSE(AnsiCodePage().IsLead(0x82));
    ::unsetenv("TESSALINK_CODEPAGE");
    EXPECT_EQ(AnsiCodePage().codePage, 932u);
    EXPECT_TRUE(AnsiCodePage().IsLead(0x82));
    if (saved != nullptr)
        ::setenv("TESSALINK_CODEPAGE", keep.c_str(), 1);
}

TEST(CodePage, TakenAtLoad)
{
    EXPECT_EQ(AnsiTables().codePage,
              CodePageFromEnvironmentValue(std::getenv("TESSALINK_CODEPAGE")));
}

}  // namespace
