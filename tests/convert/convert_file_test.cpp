// KIVO_4TO3_FILE and KIVO_HEX2BIN_FILE.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <string>

#include "convert/convert.h"
#include "convert/models.h"
#include "convert/test_util.h"
#include "tessalink.h"

namespace fs = std::filesystem;
using testutil::Hex;

namespace {

class ConvertFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device seed;
        m_dir = fs::temp_directory_path() /
                ("tessalink-convert-" + std::to_string(seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char *name) const { return (m_dir / name).string(); }

    static std::string Read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Write(const std::string &path, const std::string &content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }

    fs::path m_dir;
};

TEST_F(ConvertFile, FourToThreeWritesExactlyTheBytes)
{
    const std::string path = Path("out.bin");
    ASSERT_EQ(KIVO_4TO3_FILE("0000\r\n123P\r\n1K", path.c_str()), 0);
    EXPECT_EQ(Read(path), Hex("00 00 00 41 42 43 41"));  // no zero byte after them, no CR added
}

TEST_F(ConvertFile, HexWritesExactlyTheBytes)
{
    const std::string path = Path("out.bin");
    ASSERT_EQ(KIVO_HEX2BIN_FILE("0D0A00FF1A", path.c_str()), 0);
    EXPECT_EQ(Read(path), Hex("0D 0A 00 FF 1A"));
}

TEST_F(ConvertFile, AnExistingFileIsEmptiedFirst)
{
    const std::string path = Path("out.bin");
    Write(path, std::string(100, 'x'));
    ASSERT_EQ(KIVO_4TO3_FILE("123P", path.c_str()), 0);
    EXPECT_EQ(Read(path), "ABC");
    Write(path, std::string(100, 'x'));
    ASSERT_EQ(KIVO_HEX2BIN_FILE("41", path.c_str()), 0);
    EXPECT_EQ(Read(path), "A");
}

TEST_F(ConvertFile, NothingDecodedGivesAnEmptyFile)
{
    for (const char *text : {"", "z", " \r\n"}) {
        const std::string path = Path("empty.bin");
        Write(path, "old");
        ASSERT_EQ(KIVO_4TO3_FILE(text, path.c_str()), 0);
        EXPECT_TRUE(fs::exists(path));
        EXPECT_EQ(fs::file_size(path), 0u);
    }
    const std::string path = Path("empty2.bin");
    ASSERT_EQ(KIVO_HEX2BIN_FILE("", path.c_str()), 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(ConvertFile, AMissingDirectoryGivesFileErrorAndCreatesNothing)
{
    const std::string path = Path("missing/out.bin");
    EXPECT_EQ(KIVO_4TO3_FILE("123P", path.c_str()), KIVO_ERR_FILE);
    EXPECT_EQ(KIVO_HEX2BIN_FILE("41", path.c_str()), KIVO_ERR_FILE);
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(ConvertFile, AFullDiskGivesFileError)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(KIVO_4TO3_FILE("123P", "/dev/full"), KIVO_ERR_FILE);
    EXPECT_EQ(KIVO_HEX2BIN_FILE("41", "/dev/full"), KIVO_ERR_FILE);
    // Nothing decoded: nothing to write, so nothing fails.
    EXPECT_EQ(KIVO_HEX2BIN_FILE("", "/dev/full"), 0);
}

TEST_F(ConvertFile, NullArgumentsGiveFileErrorAndTouchNoFile)
{
    const std::string path = Path("untouched.bin");
    Write(path, "old");
    EXPECT_EQ(KIVO_4TO3_FILE(nullptr, path.c_str()), KIVO_ERR_FILE);
    EXPECT_EQ(KIVO_HEX2BIN_FILE(nullptr, path.c_str()), KIVO_ERR_FILE);
    EXPECT_EQ(KIVO_4TO3_FILE("123P", nullptr), KIVO_ERR_FILE);
    EXPECT_EQ(KIVO_HEX2BIN_FILE("41", nullptr), KIVO_ERR_FILE);
    EXPECT_EQ(Read(path), "old");
}

// The work buffer cannot be allocated: a result, no exception, and the file
// is left as it was (the buffer is allocated before the file is created).
TEST_F(ConvertFile, NoWorkBufferGivesFileErrorAndTouchesNoFile)
{
    const std::string path = Path("untouched.bin");
    Write(path, "old");
    WorkAllocator none = [](size_t) -> uint8_t * { return nullptr; };
    WorkAllocator throwing = [](size_t) -> uint8_t * { throw std::bad_alloc(); };
    FourToThreePieces text("123P");
    HexPieces hex("41");
    EXPECT_EQ(WritePieces(text, path.c_str(), none), KIVO_ERR_FILE);
    EXPECT_EQ(WritePieces(hex, path.c_str(), none), KIVO_ERR_FILE);
    EXPECT_NO_THROW(EXPECT_EQ(WritePieces(text, path.c_str(), throwing), KIVO_ERR_FILE));
    EXPECT_EQ(Read(path), "old");
}

// The work buffer has a fixed size, whatever the length of the text.
TEST_F(ConvertFile, TheWorkBufferHasAFixedSize)
{
    static size_t asked;
    WorkAllocator recording = [](size_t size) -> uint8_t * {
        asked = size;
        return new uint8_t[size];
    };
    const std::string path = Path("out.bin");
    FourToThreePieces text("123P");
    EXPECT_EQ(WritePieces(text, path.c_str(), recording), 0);
    EXPECT_EQ(asked, kWorkSize);
    EXPECT_EQ(Read(path), "ABC");
}

// Long texts, and groups and pairs across the pieces' borders (small pieces):
// the file holds exactly what the model decodes.
TEST_F(ConvertFile, PiecesAgreeWithTheModel)
{
    std::mt19937 rng(4101);
    const std::string pool = "0123456789:;ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz \r\n\x80\xFF";
    const std::string path = Path("out.bin");
    for (int round = 0; round < 300; ++round) {
        const bool long_ = round % 50 == 0;
        const std::string text = model::RandomText(rng, pool, long_ ? 3 * kWorkSize + rng() % 100 : rng() % 80);
        const size_t piece = long_ ? kWorkSize : 1 + rng() % 9;
        FourToThreePieces pieces(text.c_str(), piece);
        ASSERT_EQ(WritePieces(pieces, path.c_str()), 0);
        ASSERT_EQ(Read(path), testutil::AsString(model::FourToThree(text))) << "piece " << piece;
        HexPieces hex(text.c_str(), piece);
        ASSERT_EQ(WritePieces(hex, path.c_str()), 0);
        ASSERT_EQ(Read(path), testutil::AsString(model::HexToBinary(text))) << "piece " << piece;
    }
}

}  // namespace
