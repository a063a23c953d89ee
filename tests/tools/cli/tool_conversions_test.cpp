// The conversion subcommands, run as the program: text in, exact bytes out.
#include <gtest/gtest.h>

#include <ostream>

#include "launcher/case_name.h"
#include "run_tool.h"
#include "support/temp_dir.h"

namespace {

struct ConversionCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string input;
    std::string expected;
};

void PrintTo(const ConversionCase &c, std::ostream *out) { *out << c.name; }

class ConversionToStandardOutput : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionToStandardOutput, WritesExactlyTheConvertedBytes)
{
    const ConversionCase &c = GetParam();
    const ToolRun run = RunTool(c.arguments, c.input);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, c.expected);
    EXPECT_EQ(run.err, "");
}

const std::string kCrLf = "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ConversionToStandardOutput,
    ::testing::Values(
        ConversionCase{"Decode43", {"decode43"}, "123P", "ABC"},
        ConversionCase{"Decode43SkipsSeparatorsInsideAGroup", {"decode43"}, "12 3\r\nP\n", "ABC"},
        ConversionCase{"Decode43ZeroBytesAreOutput", {"decode43"}, "0000", std::string(3, '\0')},
        ConversionCase{"Hex2bin", {"hex2bin"}, "41420A", "AB\n"},
        ConversionCase{"Hex2binDropsTheClosingLineEnd", {"hex2bin"}, "41420A\n", "AB\n"},
        ConversionCase{"Hex2binLoneDigitBeforeTheLineEndGivesNothing", {"hex2bin"}, "41424\r\n", "AB"},
        ConversionCase{"Hex2binZeroByte", {"hex2bin"}, "00FF", std::string("\0\xFF", 2)},
        ConversionCase{"CodeMaskRemovesTheByteAfterEB", {"codemask"}, "\x41\xEB\x9F\x42", "\x41\x20\x42"},
        ConversionCase{"CodeMaskPairInRange", {"codemask"}, "\x98\x73\x41", "\x20\x20\x41"},
        ConversionCase{"LayoutMemWithHeader", {"layout-mem", "--width", "5"},
                       "MEM1:Hello world\x1Fsecond line\x1Etail\n",
                       "Hello\r\n worl\r\nd\r\nsecon\r\nd lin\r\ne\r\n"},
        ConversionCase{"LayoutMemLinesAreStrings", {"layout-mem"}, "abc\ndef", "abc\r\ndef\r\n"},
        ConversionCase{"LayoutMemEmptyLineKeepsTheRest", {"layout-mem"}, "abc\n\ndef\n", "abc\r\n\r\ndef\r\n"},
        ConversionCase{"LayoutMemCrLfInput", {"layout-mem"}, "abc\r\ndef\r\n", "abc\r\ndef\r\n"},
        ConversionCase{"LayoutMemNeverSplitsADoubleByteCharacter", {"layout-mem", "--width", "2"},
                       "\x61\x82\xA0\x82\xA2\x82\xA4", "\x61\r\n\x82\xA0\r\n\x82\xA2\r\n\x82\xA4\r\n"},
        ConversionCase{"LayoutMemEmptyInput", {"layout-mem", "--width", "5"}, "", ""},
        ConversionCase{"LayoutRepTwoColumns", {"layout-rep", "--width", "20", "--value-width", "8"},
                       "Item\tabcdefghijk\x1F" "Code\t012-345\x1F\x1FNote line\n",
                       "Item        abcdefgh\r\n            ijk\r\nCode        012-345\r\n\r\n"
                       "            Note lin\r\n            e\r\n"},
        ConversionCase{"LayoutRepSecondStringLabelled", {"layout-rep", "--width", "4", "--value-width", "4"},
                       "x\nItem\tabcdefgh\n", "x\r\nItem        abcd\r\nefgh\r\n"},
        ConversionCase{"LayoutRepValueWidthFollowsTheWidth", {"layout-rep", "--width", "20"},
                       "Item\tabcdefghijk", "Item        abcdefgh\r\n            ijk\r\n"}),
    CaseName());

TEST(ToolConversions, ReadTheInputFileAndWriteTheOutputFile)
{
    TempDir dir;
    const std::string input = dir.Write("digits.txt", {'4', '1', '0', '0', '4', '2'});
    for (const std::string command : {"hex2bin", "decode43"}) {
        const std::string output = dir.Path(command + ".bin");
        const ToolRun run = RunTool({command, input, "-o", output});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out, "");
        const std::vector<uint8_t> expected =
            command == "hex2bin" ? std::vector<uint8_t>{0x41, 0x00, 0x42} : std::vector<uint8_t>{0x04, 0x01, 0x00, 0x04};
        EXPECT_EQ(TempDir::Read(output), expected) << command;
    }
}

TEST(ToolConversions, LayoutWritesItsOutputFile)
{
    TempDir dir;
    const ToolRun run = RunTool({"layout-mem", "--width", "3", "-o", dir.Path("out.txt")}, "abcdef\n");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(TempDir::Read(dir.Path("out.txt")), (std::vector<uint8_t>{'a', 'b', 'c', '\r', '\n', 'd', 'e', 'f', '\r', '\n'}));
}

}  // namespace
