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

}  // namespace
