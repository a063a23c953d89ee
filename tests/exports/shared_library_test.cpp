// Loads the built shared library itself and calls its exports by name, the
// way a caller that knows only the names does. The settings exports are
// called through 32-bit argument slots, as old callers push them: only the
// low 16 bits of a 16-bit argument may count.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace {

using OneArg = int32_t (*)(uint32_t);
using TwoArgs = int32_t (*)(uint32_t, uint32_t);
using SizeArg = int32_t (*)(int32_t);

class SharedLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle = dlopen(TESSALINK_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (handle != nullptr) {
            EXPECT_EQ(dlclose(handle), 0);
        }
    }
    template <typename F>
    F Export(const char *name)
    {
        void *symbol = dlsym(handle, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }

    void *handle = nullptr;
};

TEST_F(SharedLibrary, SetModeReadsTheLowSixteenBits)
{
    auto setMode = Export<OneArg>("KIVO_SetMode");
    ASSERT_NE(setMode, nullptr);
    struct Case {
        uint32_t slot;
        int32_t result;
    };
    const Case cases[] = {
        {2, 1}, {3, 0}, {65538, 1} /* 2 */, {65539, 0} /* 3 */, {0xFFFFFFFFu, 0} /* 65535 */,
        {0x10000u, 1} /* 0 */,
    };
    for (const Case &c : cases)
        EXPECT_EQ(setMode(c.slot), c.result) << c.slot;
}

TEST_F(SharedLibrary, RecordSettersReadTheLowSixteenBitsOfTheMode)
{
    struct Case {
        const char *name;
        uint32_t mode;
        uint32_t value;
        int32_t result;
    };
    const Case cases[] = {
        {"KIVO_SetPort", 1, 7, 1},           {"KIVO_SetPort", 0x10001u, 7, 1},
        {"KIVO_SetPort", 0x10003u, 7, 0},    {"KIVO_SetBaud", 2, 115200, 1},
        {"KIVO_SetBaud", 0xFFFFFFFFu, 9600, 0}, {"KIVO_SetBaudEx", 2, 115200, 1},
        {"KIVO_SetBaudEx", 3, 115200, 0},
    };
    for (const Case &c : cases) {
        auto setter = Export<TwoArgs>(c.name);
        ASSERT_NE(setter, nullptr);
        EXPECT_EQ(setter(c.mode, c.value), c.result) << c.name << " " << c.mode;
    }
}

TEST_F(SharedLibrary, BlockSizeExportsReturnTheirFixedResults)
{
    auto send = Export<SizeArg>("KIVO_LinkSendBlockSize");
    auto recv = Export<SizeArg>("KIVO_LinkRecvBlockSize");
    ASSERT_NE(send, nullptr);
    ASSERT_NE(recv, nullptr);
    for (int32_t size : {512, 256, -1, 0, 100000}) {
        EXPECT_EQ(send(size), 1) << size;
        EXPECT_EQ(recv(size), 0) << size;
    }
}

// A freshly loaded library has no link mode: every link export fails with
// -999 and opens no port, but the caller's output file is made first.
TEST_F(SharedLibrary, LinkExportsBeforeAnyModeReturnMinus999)
{
    using FileCall = int32_t (*)(const char *, const char *, void *);
    using WindowCall = int32_t (*)(void *);
    char path[] = "/tmp/tessalink-nomode-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "old", 3), 3);
    close(fd);
    auto getFile = Export<FileCall>("KIVO_LinkGetFile");
    auto putFile2 = Export<FileCall>("KIVO_LinkPutFile2");
    auto release = Export<WindowCall>("KIVO_LinkRelease");
    ASSERT_NE(getFile, nullptr);
    ASSERT_NE(putFile2, nullptr);
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(getFile(path, "A", nullptr), -999);
    struct stat st;
    ASSERT_EQ(stat(path, &st), 0);
    EXPECT_EQ(st.st_size, 0) << "created or emptied before the connection is tried";
    EXPECT_EQ(putFile2(path, "A", nullptr), -999);
    EXPECT_EQ(release(nullptr), -999);
    unlink(path);
}

TEST_F(SharedLibrary, HidesEverythingButTheExports)
{
    EXPECT_EQ(dlsym(handle, "g_link"), nullptr);
    EXPECT_EQ(dlsym(handle, "_Z16CurrentPlatformv"), nullptr);
}

}  // namespace
