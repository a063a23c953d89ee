#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "case_name.h"
#include "launcher/ini_reader.h"

namespace {

struct IniCase {
    const char *name;
    const char *text;
    std::optional<std::string> expected;
};

const IniCase kCases[] = {
    {"Plain", "[Option]\nINST32=D:\\Inst\n", "D:\\Inst"},
    {"NamesIgnoreCase", "[oPTION]\r\ninst32=v\r\n", "v"},
    {"BlanksAroundNamesAndValue", "  [Option]  \r\n\t INST32 =  v w \t\r\n", "v w"},
    {"QuotedValue", "[Option]\nINST32=\"C:\\a b\"\n", "C:\\a b"},
    {"EqualsInValue", "[Option]\nINST32=a=b\n", "a=b"},
    {"EmptyValueIsPresent", "[Option]\nINST32=\n", ""},
    {"LastLineWithoutNewline", "[Option]\nINST32=v", "v"},
    {"FirstOccurrenceWins", "[Option]\nINST32=a\nINST32=b\n", "a"},
    {"SectionOpenedAgain", "[Option]\n[Other]\nx=1\n[Option]\nINST32=v\n", "v"},
    {"KeyInAnotherSection", "[Other]\nINST32=v\n", std::nullopt},
    {"KeyBeforeAnySection", "INST32=v\n[Option]\n", std::nullopt},
    {"KeyAfterTheSectionEnds", "[Option]\n[Other]\nINST32=v\n", std::nullopt},
    {"LongerKeyName", "[Option]\nINST320=v\n", std::nullopt},
    {"LongerSectionName", "[Options]\nINST32=v\n", std::nullopt},
    {"UnclosedSectionHeader", "[Option\nINST32=v\n", std::nullopt},
    {"CommentedOut", "[Option]\n;INST32=v\n", std::nullopt},
    {"Empty", "", std::nullopt},
};

class IniReaderTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniReaderTest, FindsTheValue)
{
    std::istringstream in(GetParam().text);
    EXPECT_EQ(FindIniValue(in, "Option", "INST32"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ini, IniReaderTest, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
