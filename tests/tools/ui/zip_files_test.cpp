// The zips of the page's server: a backup reads back whole, and a restore
// takes plain files at the top level only, unpacking nothing of a zip it
// refuses.
#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "private_directory.h"
#include "zip_files.h"

namespace ui {
namespace {

const ZipLimits kLimits{1000, 1500, 10};

std::string Contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A zip made with libzip itself, entries as given, so that it can hold what
// the server never writes (paths, folders).
void MakeZip(const std::string &path, const std::vector<std::pair<std::string, std::string>> &entries)
{
    int code = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const auto &[name, bytes] : entries) {
        if (!name.empty() && name.back() == '/') {
            ASSERT_GE(zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8), 0);
            continue;
        }
        // The entries outlive zip_close, which reads them.
        zip_source_t *source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

class ZipFiles : public ::testing::Test {
protected:
    PrivateDirectory m_work{TemporaryDirectoryRoot(), "tessalink-zip-test-"};

    std::string Path(const std::string &name) const { return m_work.FilePath(name); }
    size_t FilesIn(const std::string &directory) const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(directory), {}));
    }
};

TEST_F(ZipFiles, ABackupUnpacksAsItWasWritten)
{
    ASSERT_FALSE(m_work.Path().empty());
    std::ofstream(Path("a"), std::ios::binary) << "first file\r\n";
    std::ofstream(Path("b"), std::ios::binary) << std::string("\0\x1A\xFF", 3);
    std::ofstream(Path("c"), std::ios::binary) << "";
    ASSERT_EQ(WriteZip({{"A.TXT", Path("a"), 12}, {"\xE3\x83\xA1.BIN", Path("b"), 3}, {"EMPTY", Path("c"), 0}},
                       Path("backup.zip")),
              "");
    std::filesystem::create_directory(Path("out"));
    const UnpackedZip unpacked = UnpackZip(Path("backup.zip"), Path("out"), kLimits);
    ASSERT_EQ(unpacked.problem, "");
    ASSERT_EQ(unpacked.members.size(), 3u);
    EXPECT_EQ(unpacked.members[0].entry, "A.TXT");
    EXPECT_EQ(unpacked.members[1].entry, "\xE3\x83\xA1.BIN");
    EXPECT_EQ(Contents(unpacked.members[0].path), "first file\r\n");
    EXPECT_EQ(Contents(unpacked.members[1].path), std::string("\0\x1A\xFF", 3));
    EXPECT_EQ(unpacked.members[2].size, 0u);
}

TEST_F(ZipFiles, RefusesWhatIsNoPlainFileAtTheTopAndUnpacksNothing)
{
    struct Case {
        const char *what;
        std::vector<std::pair<std::string, std::string>> entries;
        bool tooLarge;
    };
    const Case cases[] = {
        {"a path", {{"GOOD.TXT", "x"}, {"../evil.txt", "x"}}, false},
        {"a folder's file", {{"GOOD.TXT", "x"}, {"dir/inner.txt", "x"}}, false},
        {"a backslash path", {{"GOOD.TXT", "x"}, {"dir\\inner.txt", "x"}}, false},
        {"a folder", {{"GOOD.TXT", "x"}, {"dir/", ""}}, false},
        {"one file beyond the bound", {{"GOOD.TXT", "x"}, {"BIG.BIN", std::string(1001, 'b')}}, true},
        {"all files beyond the bound", {{"A", std::string(800, 'a')}, {"B", std::string(800, 'b')}}, true},
        {"more entries than taken", {{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}, {"5", ""}, {"6", ""},
                                     {"7", ""}, {"8", ""}, {"9", ""}, {"10", ""}, {"11", ""}}, false},
    };
    int index = 0;
    for (const Case &c : cases) {
        const std::string zip = Path("case" + std::to_string(index) + ".zip");
        const std::string out = Path("out" + std::to_string(index++));
        MakeZip(zip, c.entries);
        std::filesystem::create_directory(out);
        const UnpackedZip unpacked = UnpackZip(zip, out, kLimits);
        EXPECT_NE(unpacked.problem, "") << c.what;
        EXPECT_EQ(unpacked.tooLarge, c.tooLarge) << c.what;
        EXPECT_EQ(FilesIn(out), 0u) << c.what << ": something was unpacked";
    }
}

TEST_F(ZipFiles, RefusesWhatIsNoZip)
{
    std::ofstream(Path("not.zip"), std::ios::binary) << "PK\x03\x04 but nothing after";
    std::filesystem::create_directory(Path("out"));
    EXPECT_NE(UnpackZip(Path("not.zip"), Path("out"), kLimits).problem, "");
    EXPECT_EQ(FilesIn(Path("out")), 0u);
}

}  // namespace
}  // namespace ui
