// The names a put gives its files on the handheld, and the lists it builds.
#include <gtest/gtest.h>

#include <ostream>

#include "launcher/case_name.h"
#include "put_lists.h"

namespace {

struct NamesCase {
    std::string name;
    std::vector<std::string> files;
    std::vector<std::string> given;
    std::vector<std::string> expected;  // when accepted
    std::string problemHolds;           // empty: accepted
};

void PrintTo(const NamesCase &c, std::ostream *out) { *out << c.name; }

class HandheldNames : public ::testing::TestWithParam<NamesCase> {};

TEST_P(HandheldNames, AreGivenOrTakenFromTheFiles)
{
    const NamesCase &c = GetParam();
    std::vector<std::string> names = c.given;
    const std::string problem = cli::CompleteHandheldNames(c.files, names);
    if (c.problemHolds.empty()) {
        EXPECT_EQ(problem, "");
        EXPECT_EQ(names, c.expected);
    } else {
        EXPECT_NE(problem.find(c.problemHolds), std::string::npos) << problem;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandheldNames,
    ::testing::Values(
        NamesCase{"DefaultsToTheLastParts", {"dir/a.txt", "b", "/x/y/c"}, {}, {"a.txt", "b", "c"}, ""},
        NamesCase{"GivenNamesInOrder", {"a", "b"}, {"X", "Y"}, {"X", "Y"}, ""},
        NamesCase{"FewerNamesThanFiles", {"a", "b"}, {"X"}, {}, "one name for each file"},
        NamesCase{"MoreNamesThanFiles", {"a"}, {"X", "Y"}, {}, "one name for each file"},
        NamesCase{"EmptyNameWouldBeSkipped", {"a", "b"}, {"", "Y"}, {}, "empty name"},
        NamesCase{"CarriageReturnInAName", {"a"}, {"X\rY"}, {}, "carriage return"},
        NamesCase{"CarriageReturnInAFile", {"a\rb"}, {"X"}, {}, "carriage return"},
        NamesCase{"FileWithoutALastPart", {"dir/"}, {}, {}, "--as"},
        NamesCase{"DotDotIsNoName", {".."}, {}, {}, "--as"}),
    CaseName());

TEST(PutLists, JoinsEntriesWithCarriageReturns)
{
    EXPECT_EQ(cli::JoinWithCr({"a", "b", "c"}), "a\rb\rc");
    EXPECT_EQ(cli::JoinWithCr({"a"}), "a");
}

TEST(PutLists, LastNamePart)
{
    EXPECT_EQ(cli::LastNamePart("a/b/c.txt"), "c.txt");
    EXPECT_EQ(cli::LastNamePart("A:\\dir\\d.txt"), "d.txt");
    EXPECT_EQ(cli::LastNamePart("plain"), "plain");
    EXPECT_EQ(cli::LastNamePart("dir/."), "");
    EXPECT_EQ(cli::LastNamePart(""), "");
}

// Which file a multi-file put names when it stops, from the bytes it moved.
struct StopCase {
    std::string name;
    std::vector<uint64_t> sizes;
    uint64_t bytesDone;
    size_t file;
    bool atBoundary;
};

void PrintTo(const StopCase &c, std::ostream *out) { *out << c.name; }

class FileBeingSent : public ::testing::TestWithParam<StopCase> {};

TEST_P(FileBeingSent, IsTheFirstNotWhollySentOrTheOneJustSent)
{
    const cli::StopPoint stop = cli::FileBeingSent(GetParam().sizes, GetParam().bytesDone);
    EXPECT_EQ(stop.file, GetParam().file);
    EXPECT_EQ(stop.atBoundary, GetParam().atBoundary);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileBeingSent,
                         ::testing::Values(StopCase{"NothingMoved", {10, 20}, 0, 0, false},
                                           StopCase{"InsideTheFirst", {10, 20}, 9, 0, false},
                                           StopCase{"FirstWhollySentAwaitsItsAnswer", {10, 20}, 10, 0, true},
                                           StopCase{"InsideTheSecond", {10, 20, 5}, 29, 1, false},
                                           StopCase{"EmptyFirstFile", {0, 7}, 0, 0, true},
                                           StopCase{"InsideAfterEmptyFiles", {0, 0, 7}, 3, 2, false},
                                           StopCase{"EmptyFileAfterASentOne", {4, 0, 7}, 4, 0, true},
                                           StopCase{"AllSentNamesTheLast", {4, 7}, 11, 1, true},
                                           StopCase{"MoreBytesThanFiles", {4, 7}, 12, 1, true},
                                           StopCase{"NoFiles", {}, 0, 0, true}),
                         CaseName());

}  // namespace
