// The handheld's file list as backup reads it: the entries, the patterns of
// --only, and the names a file in the backup directory can have.
#include <gtest/gtest.h>

#include <ostream>

#include "handheld_list.h"
#include "launcher/case_name.h"

namespace {

using cli::ListedFile;

ListedFile Sized(const std::string &name, uint64_t size) { return ListedFile{name, size, true}; }
ListedFile Unsized(const std::string &name) { return ListedFile{name, 0, false}; }

struct ListCase {
    std::string name;
    std::string list;
    std::vector<ListedFile> files;
};

void PrintTo(const ListCase &c, std::ostream *out) { *out << c.name; }

class FileList : public ::testing::TestWithParam<ListCase> {};

TEST_P(FileList, GivesEachFileOnceWithItsSize)
{
    EXPECT_EQ(cli::ParseFileList(GetParam().list), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileList,
    ::testing::Values(
        ListCase{"Empty", "", {}},
        ListCase{"CrLfLines", "MEMO.TXT\t42\r\nTABLE.BIN\t256\r\n", {Sized("MEMO.TXT", 42), Sized("TABLE.BIN", 256)}},
        ListCase{"LfLinesAndNoLastLineEnd", "A\t1\nB\t0", {Sized("A", 1), Sized("B", 0)}},
        ListCase{"EmptyLinesSkipped", "\r\nA\t1\r\n\r\n\n", {Sized("A", 1)}},
        ListCase{"NameAlone", "NOTES\r\n", {Unsized("NOTES")}},
        ListCase{"SizeNotANumber", "A\tbig\r\nB\t-1\r\nC\t\r\nD\t12 \r\n",
                 {Unsized("A"), Unsized("B"), Unsized("C"), Unsized("D")}},
        ListCase{"SizeBeyond64Bits", "A\t99999999999999999999\r\n", {Unsized("A")}},
        ListCase{"SpacesBelongToTheName", " MY FILE.TXT \t7\r\n", {Sized(" MY FILE.TXT ", 7)}},
        ListCase{"SecondTabBelongsToTheSize", "A\t1\t2\r\n", {Unsized("A")}},
        ListCase{"NameListedTwiceCountsOnce", "A\t1\r\nB\t2\r\nA\t1\r\n", {Sized("A", 1), Sized("B", 2)}}),
    CaseName());

struct PatternCase {
    std::string name;
    std::string file;
    std::vector<std::string> patterns;
    bool matches;
};

void PrintTo(const PatternCase &c, std::ostream *out) { *out << c.name; }

class OnlyPatterns : public ::testing::TestWithParam<PatternCase> {};

TEST_P(OnlyPatterns, SelectTheFiles)
{
    EXPECT_EQ(cli::MatchesAny(GetParam().file, GetParam().patterns), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OnlyPatterns,
    ::testing::Values(PatternCase{"NoPatternTakesAll", "MEMO.TXT", {}, true},
                      PatternCase{"Star", "MEMO.TXT", {"*.TXT"}, true},
                      PatternCase{"StarOtherExtension", "TABLE.BIN", {"*.TXT"}, false},
                      PatternCase{"AnyCase", "MEMO.TXT", {"memo.*"}, true},
                      PatternCase{"QuestionMarkIsOneCharacter", "MEMO1.TXT", {"MEMO?.TXT"}, true},
                      PatternCase{"QuestionMarkNotNone", "MEMO.TXT", {"MEMO?.TXT"}, false},
                      PatternCase{"Bracket", "B.TXT", {"[AB].TXT"}, true},
                      PatternCase{"WholeNameMustMatch", "MEMO.TXT.BAK", {"*.TXT"}, false},
                      PatternCase{"AnyOfSeveral", "TABLE.BIN", {"*.TXT", "*.BIN"}, true},
                      PatternCase{"NoneOfSeveral", "X.DAT", {"*.TXT", "*.BIN"}, false},
                      PatternCase{"PlainNameIsExact", "MEMO.TXT", {"MEMO.TXT"}, true}),
    CaseName());

struct NameCase {
    std::string name;
    std::string handheldName;
    bool usable;
};

void PrintTo(const NameCase &c, std::ostream *out) { *out << c.name; }

class LocalName : public ::testing::TestWithParam<NameCase> {};

TEST_P(LocalName, IsRefusedOnlyWhereNoFileCanHaveIt)
{
    const std::string problem = cli::LocalNameProblem(GetParam().handheldName);
    EXPECT_EQ(problem.empty(), GetParam().usable) << problem;
}

INSTANTIATE_TEST_SUITE_P(Cases, LocalName,
                         ::testing::Values(NameCase{"Plain", "MEMO.TXT", true},
                                           NameCase{"Backslash", "DIR\\MEMO.TXT", true},
                                           NameCase{"Spaces", "MY MEMO", true},
                                           NameCase{"DotFile", ".PROFILE", true},
                                           NameCase{"Empty", "", false},
                                           NameCase{"Dot", ".", false},
                                           NameCase{"DotDot", "..", false},
                                           NameCase{"Slash", "../etc/passwd", false},
                                           NameCase{"TrailingSlash", "DIR/", false},
                                           NameCase{"StagingFile", ".tessalink-12-0.part", false}),
                         CaseName());

TEST(KnownTotalSize, AddsTheSizesOnlyWhenAllAreKnown)
{
    EXPECT_EQ(cli::KnownTotalSize({}), 0u);
    EXPECT_EQ(cli::KnownTotalSize({Sized("A", 3), Sized("B", 0), Sized("C", 70000)}), 70003u);
    EXPECT_EQ(cli::KnownTotalSize({Sized("A", 3), Unsized("B")}), 0u);
}

}  // namespace
