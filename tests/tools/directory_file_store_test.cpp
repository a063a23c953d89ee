// The emulator's store on a directory: the handheld's files are the regular
// files directly in it, and no name reaches anything outside.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "directory_file_store.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;
using emulator::DirectoryFileStore;

Bytes Text(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

std::string ListText(const DirectoryFileStore &store, const std::string &argument = "")
{
    const Bytes list = store.List(argument);
    return std::string(list.begin(), list.end());
}

// root/x holds a secret; root/served is the store, with a link to root/x, a
// subdirectory holding a file, and one file of its own.
class DirectoryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        served = root.Path("served");
        ASSERT_EQ(mkdir(served.c_str(), 0777), 0);
        ASSERT_EQ(mkdir((served + "/a").c_str(), 0777), 0);
        root.Write("x", Text("secret"));
        root.Write("served/a/b", Text("in a subdirectory"));
        root.Write("served/OWN", Text("own"));
        ASSERT_EQ(symlink("../x", (served + "/link").c_str()), 0);
        ASSERT_EQ(symlink("OWN", (served + "/inner-link").c_str()), 0);
    }

    TempDir root;
    std::string served;
};

TEST_F(DirectoryStore, WritesReadsListsAndRemoves)
{
    DirectoryFileStore store(served);
    ASSERT_TRUE(store.IsOpen());
    EXPECT_TRUE(store.Write("NEW FILE.TXT", Text("first")));
    EXPECT_TRUE(store.Write("NEW FILE.TXT", Text("replaced")));
    EXPECT_TRUE(store.Write("\x83\x81\x83\x82", Text("")));  // a name in code page 932
    Bytes out;
    EXPECT_TRUE(store.Read("NEW FILE.TXT", out));
    EXPECT_EQ(out, Text("replaced"));
    EXPECT_EQ(TempDir::Read(served + "/NEW FILE.TXT"), Text("replaced"));
    EXPECT_TRUE(store.Read("\x83\x81\x83\x82", out));
    EXPECT_TRUE(out.empty());

    // Regular files only, in the order of the names' bytes; no link, no
    // subdirectory.
    EXPECT_EQ(ListText(store), "NEW FILE.TXT\t8\r\nOWN\t3\r\n\x83\x81\x83\x82\t0\r\n");
    EXPECT_EQ(ListText(store, "N*"), "NEW FILE.TXT\t8\r\n");
    EXPECT_EQ(ListText(store, "?W?"), "OWN\t3\r\n");

    EXPECT_TRUE(store.Remove("NEW FILE.TXT"));
    EXPECT_FALSE(TempDir::Exists(served + "/NEW FILE.TXT"));
    EXPECT_FALSE(store.Remove("NEW FILE.TXT"));
    EXPECT_FALSE(store.Read("NEW FILE.TXT", out));
}

TEST_F(DirectoryStore, LeftoverTemporaryFilesAreNotListed)
{
    root.Write("served/.tessalink-put-1-1", Text("half"));
    DirectoryFileStore store(served);
    EXPECT_EQ(ListText(store), "OWN\t3\r\n");
}

TEST_F(DirectoryStore, AMissingDirectoryIsNotOk)
{
    DirectoryFileStore store(root.Path("none"));
    EXPECT_FALSE(store.IsOpen());
    Bytes out;
    EXPECT_FALSE(store.Read("OWN", out));
    EXPECT_FALSE(store.Write("OWN", Text("x")));
    EXPECT_TRUE(store.List("").empty());
}

struct Hostile {
    const char *label;
    std::string name;
};

class DirectoryStoreHostileName : public DirectoryStore,
                                  public ::testing::WithParamInterface<Hostile> {};

TEST_P(DirectoryStoreHostileName, IsRefusedAndNothingOutsideIsTouched)
{
    // Absolute names are given here for the test's own root, where a write
    // would succeed if the name were taken.
    std::string name = GetParam().name;
    if (name == "ROOT/x")
        name = root.Path("x");
    DirectoryFileStore store(served);
    Bytes out = Text("stale");
    EXPECT_FALSE(store.Read(name, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(store.Write(name, Text("overwritten")));
    EXPECT_FALSE(store.Remove(name));

    EXPECT_EQ(TempDir::Read(root.Path("x")), Text("secret"));
    EXPECT_EQ(TempDir::Read(served + "/a/b"), Text("in a subdirectory"));
    EXPECT_EQ(TempDir::Read(served + "/OWN"), Text("own"));
    struct stat st;
    EXPECT_EQ(lstat((served + "/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(lstat((served + "/a").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_FALSE(TempDir::Exists(root.Path("served/x")));
    EXPECT_EQ(ListText(store), "OWN\t3\r\n");
}

const Hostile kHostileNames[] = {
    {"ParentThenName", "../x"},
    {"AbsoluteSystemFile", "/etc/passwd"},
    {"AbsoluteIntoTheParent", "ROOT/x"},
    {"IntoSubdirectory", "a/b"},
    {"Parent", ".."},
    {"Itself", "."},
    {"Empty", ""},
    {"ZeroByte", std::string("OWN\0x", 5)},
    {"LinkToOutside", "link"},
    {"LinkInside", "inner-link"},
    {"Subdirectory", "a"},
};

INSTANTIATE_TEST_SUITE_P(Names, DirectoryStoreHostileName, ::testing::ValuesIn(kHostileNames),
                         [](const ::testing::TestParamInfo<Hostile> &p) {
                             return std::string(p.param.label);
                         });

}  // namespace
