// KIVO_MEM_Analize, KIVO_REP_Analize and their helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "convert/test_util.h"
#include "tessalink.h"

using testutil::Hex;

namespace {

const std::string US = "\x1F";
const std::string RS = "\x1E";
const std::string TAB = "\t";
const std::string CR = "\r";
const std::string LF = "\n";

// The text's buffer: the strings, each with its zero byte, then the empty one.
std::vector<char> Text(const std::vector<std::string> &strings)
{
    std::vector<char> text;
    for (const std::string &s : strings) {
        text.insert(text.end(), s.begin(), s.end());
        text.push_back(0);
    }
    text.push_back(0);
    return text;
}

std::string Lines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += line + "\r\n";
    return out;
}

std::string Label(const std::string &label)
{
    return label + std::string(12 - label.size(), ' ');
}

const std::string kBlank(12, ' ');

// Runs a layout on the strings after prefix in out; checks the returned
// pointer and returns out's text.
std::string Mem(const std::vector<std::string> &strings, int32_t width, const std::string &prefix = "")
{
    std::vector<char> text = Text(strings);
    std::vector<char> out(prefix.size() + 3 * text.size() + 1, 'X');
    std::memcpy(out.data(), prefix.c_str(), prefix.size() + 1);
    char *end = KIVO_MEM_Analize(text.data(), out.data(), width);
    EXPECT_EQ(end, out.data() + std::strlen(out.data()));
    return std::string(out.data());
}

std::string Rep(const std::vector<std::string> &strings, int32_t lineWidth, int32_t valueWidth,
                const std::string &prefix = "")
{
    std::vector<char> text = Text(strings);
    std::vector<char> out(prefix.size() + 15 * text.size() + 1, 'X');
    std::memcpy(out.data(), prefix.c_str(), prefix.size() + 1);
    char *end = KIVO_REP_Analize(text.data(), out.data(), lineWidth, valueWidth);
    EXPECT_EQ(end, out.data() + std::strlen(out.data()));
    return std::string(out.data());
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (AnsiTables().codePage != 932)
            GTEST_SKIP() << "TESSALINK_CODEPAGE names another code page";
    }
};

struct MemCase {
    const char *name;
    std::vector<std::string> text;
    int32_t width;
    std::vector<std::string> lines;
};

void PrintTo(const MemCase &c, std::ostream *os)
{
    *os << c.name;
}

class MemTable : public Layout, public ::testing::WithParamInterface<MemCase> {};

TEST_P(MemTable, Lines)
{
    const MemCase &c = GetParam();
    EXPECT_EQ(Mem(c.text, c.width), Lines(c.lines));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MemTable,
    ::testing::Values(
        MemCase{"HeaderSeparatorsAndWrap", {"MEM1:Hello world" + US + "second line" + RS}, 5,
                {"Hello", " worl", "d", "secon", "d lin", "e"}},
        MemCase{"HeaderInSmallLetters", {"mem1:abc" + RS + "def"}, 0, {"abc"}},
        MemCase{"HeaderInMixedCase", {"mEm1:abc" + RS + "def"}, 0, {"abc"}},
        MemCase{"RecordSeparatorWithoutHeader", {"abc" + RS + "def"}, 0, {"abc" + RS + "def"}},
        MemCase{"RecordSeparatorDropsLaterStrings", {"MEM1:ab" + RS + "c", "def"}, 0, {"ab"}},
        MemCase{"HeaderOnly", {"MEM1:"}, 0, {}},
        MemCase{"NoHeaderWithoutColon", {"MEM1abc"}, 0, {"MEM1abc"}},
        MemCase{"TwoSeparatorsMakeAnEmptyLine", {"abc" + US + US + "def"}, 0, {"abc", "", "def"}},
        MemCase{"SeparatorBeforeTheEnd", {"abc" + US}, 0, {"abc"}},
        MemCase{"OnlyASeparator", {US}, 0, {""}},
        MemCase{"CrLfStartsALineWithLf", {"abc" + CR + LF + "def"}, 0, {"abc", LF + "def"}},
        MemCase{"TwiceTheWidth", {"abcdefghij"}, 5, {"abcde", "fghij"}},
        MemCase{"ExactlyTheWidth", {"abcde"}, 5, {"abcde"}},
        MemCase{"DoubleByteNeverSplit", {Hex("61 82 A0 82 A2 82 A4")}, 2,
                {"a", Hex("82 A0"), Hex("82 A2"), Hex("82 A4")}},
        MemCase{"DoubleByteAtTheWidthEnd", {Hex("61 62 82 A0 63")}, 3, {"ab", Hex("82 A0 63")}},
        MemCase{"LeadWithoutTrailIsSingle", {Hex("61 62 82 20 63")}, 3, {Hex("61 62 82"), " c"}},
        MemCase{"LeadByteAtTheEnd", {Hex("61 62 63 82")}, 3, {"abc", Hex("82")}},
        MemCase{"WidthZeroNeverWraps", {"abcdefghij"}, 0, {"abcdefghij"}},
        MemCase{"NegativeWidthNeverWraps", {"abcdefghij"}, -5, {"abcdefghij"}},
        MemCase{"WidthOne", {"abc"}, 1, {"a", "b", "c"}},
        MemCase{"WidthOneDoubleByteOnItsOwnLine", {Hex("82 A0 82 A2 61")}, 1,
                {Hex("82 A0"), Hex("82 A2"), "a"}},
        MemCase{"WidthOneLoneDoubleByte", {Hex("82 A0")}, 1, {Hex("82 A0")}},
        MemCase{"SeveralStrings", {"abc", "de" + US + "f"}, 0, {"abc", "de", "f"}},
        MemCase{"EmptyText", {}, 5, {}},
        // A separator that ends a string does not end the whole text: the
        // next string is laid out.
        MemCase{"SeparatorBeforeAStringEndGoesOnToTheNextString", {"abc" + US, "def" + CR, "g"}, 0,
                {"abc", "def", "g"}},
        // With the header, the later strings move along with the first.
        MemCase{"HeaderWithSeveralStrings", {"MEM1:ab", "cd"}, 0, {"ab", "cd"}}),
    testutil::CaseName());

TEST_F(Layout, MemOutputIsAppendedToTheTextInOut)
{
    EXPECT_EQ(Mem({"abcdef"}, 3, "before\r\n"), "before\r\n" + Lines({"abc", "def"}));
    EXPECT_EQ(Mem({}, 3, "before"), "before");
}

struct RepCase {
    const char *name;
    std::vector<std::string> text;
    int32_t lineWidth, valueWidth;
    std::vector<std::string> lines;
};

void PrintTo(const RepCase &c, std::ostream *os)
{
    *os << c.name;
}

class RepTable : public Layout, public ::testing::WithParamInterface<RepCase> {};

TEST_P(RepTable, Lines)
{
    const RepCase &c = GetParam();
    EXPECT_EQ(Rep(c.text, c.lineWidth, c.valueWidth), Lines(c.lines));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RepTable,
    ::testing::Values(
        RepCase{"Example",
                {"Item" + TAB + "abcdefghijk" + US + "Code" + TAB + "012-345" + US + US + "Note line"}, 20, 8,
                {Label("Item") + "abcdefgh", kBlank + "ijk", Label("Code") + "012-345", "", kBlank + "Note lin",
                 kBlank + "e"}},
        RepCase{"ColumnModeDecidedPerLine", {"x", "Item" + TAB + "abcdefgh"}, 4, 4,
                {"x", Label("Item") + "abcd", "efgh"}},
        RepCase{"ContinuationWrapsAtLineWidth", {"x", "Item" + TAB + "abcdefghij"}, 3, 4,
                {"x", Label("Item") + "abcd", "efg", "hij"}},
        RepCase{"PlainTextAsMem", {"plain text line" + US + "next"}, 6, 3,
                {"plain ", "text l", "ine", "next"}},
        RepCase{"LabelCutAfterTwelveBytes", {"ABCDEFGHIJKLMNOPQ" + TAB + "v"}, 0, 0, {"ABCDEFGHIJKLv"}},
        RepCase{"LabelCutInsideADoubleByteCharacter", {"ABCDEFGHIJK" + Hex("82 A0") + TAB + "v"}, 0, 0,
                {"ABCDEFGHIJK" + Hex("82") + "v"}},
        RepCase{"LabelWithEmptyValue", {"Item" + TAB + US}, 0, 0, {Label("Item")}},
        RepCase{"TabInTheSecondSegment", {"abc" + US + "Item" + TAB + "X"}, 0, 0,
                {kBlank + "abc", Label("Item") + "X"}},
        RepCase{"OnlyTheFirstTabSeparates", {"a" + TAB + "b" + TAB + "c"}, 0, 0, {Label("a") + "b\tc"}},
        RepCase{"EmptyLabelTwoColumn", {TAB + "value"}, 0, 0, {kBlank + "value"}},
        RepCase{"EmptyLabelAndValue", {"a" + TAB + "b" + US + TAB}, 0, 0, {Label("a") + "b", ""}},
        RepCase{"ValueWidthZeroNeverWraps", {"L" + TAB + "abcdefghij"}, 3, 0, {Label("L") + "abcdefghij"}},
        RepCase{"NegativeWidths", {"L" + TAB + "abcdefghij" + US + "k"}, -1, -1,
                {Label("L") + "abcdefghij", kBlank + "k"}},
        RepCase{"DoubleByteValue", {"L" + TAB + Hex("61 82 A0 82 A2")}, 0, 2,
                {Label("L") + "a", kBlank + Hex("82 A0"), kBlank + Hex("82 A2")}},
        RepCase{"WidthOneDoubleByte", {"L" + TAB + Hex("82 A0 61")}, 0, 1,
                {Label("L") + Hex("82 A0"), kBlank + "a"}},
        RepCase{"HeaderAndRecordSeparator", {"MEM1:L" + TAB + "v" + RS + "x" + TAB + "y"}, 0, 0,
                {Label("L") + "v"}},
        RepCase{"TabAfterTheRecordSeparatorDoesNotCount", {"MEM1:abc" + RS + TAB}, 0, 0, {"abc"}}),
    testutil::CaseName());

TEST_F(Layout, RepOutputIsAppendedToTheTextInOut)
{
    EXPECT_EQ(Rep({"L" + TAB + "v"}, 0, 0, "x"), "x" + Lines({Label("L") + "v"}));
}

TEST(StripMemHeader, MovesTheTextAndEndsItAtTheRecordSeparator)
{
    std::vector<char> text = Text({"Mem1:ab" + RS + "cd"});
    StripMemHeader(text.data());
    EXPECT_STREQ(text.data(), "ab");
    EXPECT_EQ(text[3], 0) << "a text that ends in two zero bytes";
    std::vector<char> plain = Text({"MEM2:ab"});
    StripMemHeader(plain.data());
    EXPECT_STREQ(plain.data(), "MEM2:ab");
    std::vector<char> shortText = Text({"MEM"});
    StripMemHeader(shortText.data());
    EXPECT_STREQ(shortText.data(), "MEM");
    std::vector<char> two = Text({"MEM1:ab", "cd"});
    StripMemHeader(two.data());
    EXPECT_EQ(std::string(two.data(), 7), std::string("ab\0cd\0\0", 7));
}

TEST(DoubleByteCutTest, Results)
{
    const CodePageTables sjis = CodePageByNumber(932);
    const std::string line = Hex("61 82 A0 82 A2 62 63");
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 0, sjis), 1);
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 1, sjis), 2);
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 2, sjis), 0);
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 3, sjis), 2);
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 4, sjis), 0);
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 5, sjis), 1);
    // A lead byte without a trail byte is a single-byte character.
    const std::string bad = Hex("82 20 82 A0 41");
    EXPECT_EQ(DoubleByteCutTest(bad.c_str(), 0, sjis), 1);
    EXPECT_EQ(DoubleByteCutTest(bad.c_str(), 1, sjis), 1);
    EXPECT_EQ(DoubleByteCutTest(bad.c_str(), 2, sjis), 2);
    // No double-byte characters in a single-byte code page.
    EXPECT_EQ(DoubleByteCutTest(line.c_str(), 1, CodePageByNumber(1252)), 1);
}

TEST(Layout1252, NoDoubleByteCharactersInASingleByteCodePage)
{
    std::vector<char> text = Text({Hex("61 82 A0 82")});
    char out[32] = "";
    MemAnalize(text.data(), out, 2, CodePageByNumber(1252));
    EXPECT_EQ(std::string(out), Lines({Hex("61 82"), Hex("A0 82")}));
}

}  // namespace
