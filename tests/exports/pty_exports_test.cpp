// Every family of link exports through the shared library loaded by name,
// on a real pseudo-terminal, against the handheld (line side, protocol side,
// file store in memory) running in a thread on real time: the library as its
// callers get it, on a real device.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "handheld/line_side.h"
#include "handheld/protocol_side.h"
#include "support/pty_handheld.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"
#include "tessalink.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Api {
    decltype(&KIVO_SetMode) SetMode;
    decltype(&KIVO_SetPort) SetPort;
    decltype(&KIVO_LinkFileList) FileList;
    decltype(&KIVO_LinkGetFile) GetFile;
    decltype(&KIVO_LinkPutFile) PutFile;
    decltype(&KIVO_LinkPutFileEx) PutFileEx;
    decltype(&KIVO_LinkPutFile2) PutFile2;
    decltype(&KIVO_LinkPutFile2Ex) PutFile2Ex;
    decltype(&KIVO_LinkPutFiles) PutFiles;
    decltype(&KIVO_LinkPutFilesEx) PutFilesEx;
    decltype(&KIVO_LinkPutFiles2) PutFiles2;
    decltype(&KIVO_LinkPutFiles2Ex) PutFiles2Ex;
    decltype(&KIVO_LinkDelFile) DelFile;
    decltype(&KIVO_LinkRelease) Release;
    decltype(&KIVO_AppTextSend) TextSend;
    decltype(&KIVO_AppTextRecv) TextRecv;
};

Bytes Pattern(size_t n, unsigned seed)
{
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + seed);
    return v;
}

constexpr int kCom = 33;

class PtyExports : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        mode = GetParam();
        library = dlopen(TESSALINK_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        Resolve(api.SetMode, "KIVO_SetMode");
        Resolve(api.SetPort, "KIVO_SetPort");
        Resolve(api.FileList, "KIVO_LinkFileList");
        Resolve(api.GetFile, "KIVO_LinkGetFile");
        Resolve(api.PutFile, "KIVO_LinkPutFile");
        Resolve(api.PutFileEx, "KIVO_LinkPutFileEx");
        Resolve(api.PutFile2, "KIVO_LinkPutFile2");
        Resolve(api.PutFile2Ex, "KIVO_LinkPutFile2Ex");
        Resolve(api.PutFiles, "KIVO_LinkPutFiles");
        Resolve(api.PutFilesEx, "KIVO_LinkPutFilesEx");
        Resolve(api.PutFiles2, "KIVO_LinkPutFiles2");
        Resolve(api.PutFiles2Ex, "KIVO_LinkPutFiles2Ex");
        Resolve(api.DelFile, "KIVO_LinkDelFile");
        Resolve(api.Release, "KIVO_LinkRelease");
        Resolve(api.TextSend, "KIVO_AppTextSend");
        Resolve(api.TextRecv, "KIVO_AppTextRecv");
        pty = std::make_unique<PtyPair>(kCom);
        ASSERT_TRUE(pty->ok());
        side = std::make_unique<handheld::LineSide>(static_cast<LinkMode>(mode));
        protocol = std::make_unique<handheld::ProtocolSide>(*side, store);
        driver = std::make_unique<PtyHandheld>(pty->master(), *side, PtyHandheld::OnUnit(),
                                               [this](uint32_t now) { Pump(now); });
        ASSERT_EQ(api.SetMode(static_cast<uint16_t>(mode)), 1);
        ASSERT_EQ(api.SetPort(static_cast<uint16_t>(mode), kCom), 1);
    }
    void TearDown() override
    {
        driver.reset();
        if (library != nullptr)
            dlclose(library);
    }
    template <typename F>
    void Resolve(F &f, const char *name)
    {
        f = reinterpret_cast<F>(dlsym(library, name));
        ASSERT_NE(f, nullptr) << name;
    }
    // On the handheld's thread, under the driver's lock.
    void Pump(uint32_t now)
    {
        if (textToSend && (mode != 1 || side->ProbesSeen() > probesAtStart)) {
            protocol->SendText(*textToSend);
            textToSend.reset();
        }
        protocol->Pump(now);
    }
    Bytes Stored(const std::string &name)
    {
        Bytes out;
        driver->Locked([&] { out = store.files[name]; });
        return out;
    }

    int mode = 0;
    void *library = nullptr;
    Api api{};
    std::unique_ptr<PtyPair> pty;
    handheld::MemoryFileStore store;
    std::unique_ptr<handheld::LineSide> side;
    std::unique_ptr<handheld::ProtocolSide> protocol;
    std::unique_ptr<PtyHandheld> driver;
    std::unique_ptr<Bytes> textToSend;
    unsigned probesAtStart = 0;
    TempDir dir;
};

TEST_P(PtyExports, EveryFamily)
{
    const Bytes data = Pattern(3000, 1);
    const std::string local = dir.Write("data.bin", data);

    EXPECT_EQ(api.PutFile(local.c_str(), "ONE", nullptr), 0);
    EXPECT_EQ(api.PutFileEx(local.c_str(), "TWO", nullptr), 0);
    EXPECT_EQ(api.PutFiles((local + "\r" + local).c_str(), "THREE\rFOUR", nullptr), 0);
    EXPECT_EQ(api.PutFilesEx(local.c_str(), "FIVE", nullptr), 0);
    for (const char *name : {"ONE", "TWO", "THREE", "FOUR", "FIVE"})
        EXPECT_EQ(Stored(name), data) << name;
    if (mode == 2) {
        EXPECT_EQ(api.PutFile2(local.c_str(), "SIX", nullptr), 0);
        EXPECT_EQ(api.PutFile2Ex(local.c_str(), "SEVEN", nullptr), 0);
        EXPECT_EQ(api.PutFiles2(local.c_str(), "EIGHT", nullptr), 0);
        EXPECT_EQ(api.PutFiles2Ex(local.c_str(), "NINE", nullptr), 0);
        for (const char *name : {"SIX", "SEVEN", "EIGHT", "NINE"})
            EXPECT_EQ(Stored(name), data) << name;
    } else {
        EXPECT_EQ(api.PutFile2(local.c_str(), "SIX", nullptr), KIVO_ERR_NO_CONNECTION);
    }

    const std::string back = dir.Path("back.bin");
    EXPECT_EQ(api.GetFile(back.c_str(), "THREE", nullptr), 0);
    EXPECT_EQ(TempDir::Read(back), data);

    const std::string list = dir.Path("list.txt");
    EXPECT_EQ(api.FileList(list.c_str(), "", nullptr), 0);
    Bytes expectedList;
    driver->Locked([&] { expectedList = store.List(""); });
    EXPECT_EQ(TempDir::Read(list), expectedList);

    EXPECT_EQ(api.DelFile("TWO", nullptr), 0);
    driver->Locked([&] { EXPECT_EQ(store.files.count("TWO"), 0u); });
    EXPECT_EQ(api.Release(nullptr), 0);
    driver->Locked([&] { EXPECT_GE(protocol->Releases(), 3u); });

    const Bytes text = {'h', 'e', 'l', 'l', 'o', '\r', '\n'};
    driver->Locked([&] { protocol->ExpectText(); });
    EXPECT_EQ(api.TextSend(dir.Write("text.txt", text).c_str(), nullptr), 0);
    // In the raw modes nothing acknowledges the text: the call may return
    // before the handheld's thread has read the last bytes off the line.
    bool complete = false;
    for (int i = 0; i < 500 && !complete; ++i) {
        driver->Locked([&] { complete = protocol->TextComplete(); });
        if (!complete)
            usleep(10000);
    }
    driver->Locked([&] { EXPECT_EQ(protocol->ReceivedText(), text); });

    driver->Locked([&] {
        probesAtStart = side->ProbesSeen();
        textToSend = std::make_unique<Bytes>(Bytes{'w', 'o', 'r', 'l', 'd'});
    });
    const std::string in = dir.Path("in.txt");
    EXPECT_EQ(api.TextRecv(in.c_str(), nullptr), 0);
    EXPECT_EQ(TempDir::Read(in), (Bytes{'w', 'o', 'r', 'l', 'd', 0x1A}));
}

INSTANTIATE_TEST_SUITE_P(AllModes, PtyExports, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int> &p) {
                             return "Mode" + std::to_string(p.param);
                         });

}  // namespace
