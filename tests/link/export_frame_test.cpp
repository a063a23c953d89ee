// The link exports through their C names, on the simulated line in mode 0
// (and mode 2 for the put-file-2 exports): the frame around the operation,
// what each export sends, and how every failure maps to one result. The
// handheld's side is queued on the line ahead of time.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdexcept>
#include <sys/resource.h>

#include "link/link_object.h"
#include "platform/sim_window.h"
#include "export_fixture.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"
#include "tessalink.h"
#include "packet_wire.h"

namespace {

using namespace wire;

Bytes HandheldCommand() { return Join({{ACK, ACK}, Packet(1, "DOK"), {EOT, ENQ}}); }
Bytes PcCommand(const char *code)
{
    return Join({Packet(1, std::string("C") + code), {EOT, ENQ, ACK, ACK}});
}
// The handheld's side of a put of a file small enough for one packet.
Bytes HandheldSmallPut() { return Join({HandheldCommand(), {ACK, ACK, ACK}, Packet(1, "AEX"), {EOT, ENQ}}); }

class Exports : public ExportFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        KIVO_SetMode(0);
        KIVO_SetPort(0, kPort);
        KIVO_SetPort(2, kPort);
    }
    void Handheld(const Bytes &bytes) { line.SendToPc(bytes.data(), bytes.size(), sim.Now()); }
    Bytes Written() const { return line.FromPcValues(); }

    TempDir dir;
    SimWindow window;
};

TEST_F(Exports, ModeZeroRunsWithoutXonAndLeavesItOn)
{
    const std::string out = dir.Path("list.txt");
    struct Case {
        const char *name;
        std::function<int32_t()> call;
        int32_t result;
    };
    const Case cases[] = {
        {"list", [&] {
             Handheld(Join({HandheldCommand(), {ACK, ACK}, Packet(1, "xFFab"), {EOT, ENQ}}));
             return KIVO_LinkFileList(out.c_str(), "", nullptr);
         }, 0},
        {"get to a file that cannot be made",
         [&] { return KIVO_LinkGetFile(dir.Path("no/such/dir").c_str(), "A", nullptr); },
         KIVO_ERR_FILE},
        {"put of a missing file", [&] { return KIVO_LinkPutFile(dir.Path("none").c_str(), "A", nullptr); },
         KIVO_ERR_FILE},
    };
    for (const Case &c : cases) {
        g_link.SetXon(0, 1);
        const size_t statesBefore = line.States().size();
        EXPECT_EQ(c.call(), c.result) << c.name;
        for (size_t i = statesBefore; i < line.States().size(); ++i)
            EXPECT_EQ(line.States()[i].state.fOutX, 0u) << c.name << ": XON/XOFF off on the line";
        EXPECT_EQ(g_link.LineStateOf(0).fOutX, 1u) << c.name;
        EXPECT_EQ(g_link.Setting(0).xon, 1) << c.name;
    }
    EXPECT_EQ(TempDir::Read(out), Text("ab"));
}

TEST_F(Exports, TheCallersFileIsOpenedBeforeTheConnection)
{
    // Nothing at the port: the output file is made all the same, and stays empty.
    KIVO_SetPort(0, 9);
    const std::string out = dir.Write("old.txt", Text("old contents"));
    EXPECT_EQ(KIVO_LinkGetFile(out.c_str(), "A", nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_TRUE(TempDir::Exists(out));
    EXPECT_TRUE(TempDir::Read(out).empty());
    ASSERT_EQ(sim.Messages().size(), 1u);

    // A missing input file: -500, and the port is never opened.
    KIVO_SetPort(0, kPort);
    EXPECT_EQ(KIVO_LinkPutFileEx(dir.Path("missing").c_str(), "A", nullptr), KIVO_ERR_FILE);
    EXPECT_EQ(line.OpenCount(), 0u);
}

TEST_F(Exports, PutFile2RunsOnlyInModeTwoWithBlocksOf4096)
{
    Bytes data(5000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    const std::string in = dir.Write("data.bin", data);
    KIVO_LinkSendBlockSize(512);
    for (uint16_t mode : std::initializer_list<uint16_t>{0, 1}) {
        KIVO_SetMode(mode);
        EXPECT_EQ(KIVO_LinkPutFile2(in.c_str(), "A", nullptr), KIVO_ERR_NO_CONNECTION);
        EXPECT_EQ(KIVO_LinkPutFiles2Ex(in.c_str(), "A", nullptr), KIVO_ERR_NO_CONNECTION);
        EXPECT_EQ(g_link.GetSendBlockSize(), 512) << "untouched outside mode 2";
    }
    EXPECT_EQ(line.OpenCount(), 0u);

    // In mode 2 the chunks are 4096 bytes whatever the caller set; the
    // handheld here never drops CTS, so the close waits its six minutes.
    KIVO_SetMode(2);
    Handheld(Join({HandheldCommand(), {ACK, ACK, ACK, ACK}, Packet(1, "AEX"), {EOT, ENQ}}));
    EXPECT_EQ(KIVO_LinkPutFile2Ex(in.c_str(), "A", nullptr), 0);
    EXPECT_EQ(Written(), Join({PcCommand("DL"), Packet(1, "RDLA|5000", true), data, {EOT, ENQ, ACK, ACK}}));
    EXPECT_EQ(g_link.GetSendBlockSize(), 256) << "256 after the gate";
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(Exports, ListsArePairedEntryByEntry)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    const std::string b = dir.Write("B.TXT", Text("bbb"));
    struct Case {
        const char *name;
        std::string paths;
        std::string names;
        Bytes sent;  // the PC's requests and data, in order
        int32_t result;
    };
    auto put = [](const char *name, const char *contents) {
        return Join({PcCommand("FD"), Packet(1, std::string("RFD") + name, true),
                     Packet(2, std::string("RFD") + contents), {EOT, ENQ, ACK, ACK}});
    };
    const Bytes release = PcCommand("LE");
    const Case cases[] = {
        {"two pairs", a + "\r" + b, "X\rY", Join({put("X", "aaa"), put("Y", "bbb"), release}), 0},
        {"CRs at the ends and doubled", "\r" + a + "\r\r" + b + "\r", "X\r\rY\r",
         Join({put("X", "aaa"), put("Y", "bbb"), release}), 0},
        {"the shorter list wins", a + "\r" + b + "\r" + a, "X\rY",
         Join({put("X", "aaa"), put("Y", "bbb"), release}), 0},
        {"CR LF leaves LF in the next path", a + "\r\n" + b, "X\r\nY", put("X", "aaa"), KIVO_ERR_FILE},
        {"a missing second file", a + "\r" + dir.Path("gone"), "X\rY", put("X", "aaa"), KIVO_ERR_FILE},
        {"no pair", "\r\r", "X", {}, KIVO_ERR_NO_CONNECTION},
        {"empty lists", "", "", {}, KIVO_ERR_NO_CONNECTION},
    };
    for (const Case &c : cases) {
        SimLine fresh;
        sim.AttachPort(kPort, &fresh);
        Bytes handheld;
        for (int i = 0; i < 3; ++i)
            handheld = Join({handheld, HandheldSmallPut()});
        handheld = Join({handheld, HandheldCommand()});
        fresh.SendToPc(handheld.data(), handheld.size(), sim.Now());
        EXPECT_EQ(KIVO_LinkPutFiles(c.paths.c_str(), c.names.c_str(), nullptr), c.result) << c.name;
        EXPECT_EQ(fresh.FromPcValues(), c.sent) << c.name;
        EXPECT_EQ(fresh.OpenCount(), 1u) << c.name << ": one connection for the whole list";
        EXPECT_FALSE(fresh.IsOpen()) << c.name;
    }
}

TEST_F(Exports, TheReleaseFollowsOnTheSameConnectionOrOnItsOwn)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    // With the release: one connection holding both.
    Handheld(Join({HandheldSmallPut(), HandheldCommand()}));
    EXPECT_EQ(KIVO_LinkPutFile(a.c_str(), "X", nullptr), 0);
    EXPECT_EQ(line.OpenCount(), 1u);
    // Ex, then the release: two connections.
    Handheld(HandheldSmallPut());
    EXPECT_EQ(KIVO_LinkPutFileEx(a.c_str(), "X", nullptr), 0);
    Handheld(HandheldCommand());
    EXPECT_EQ(KIVO_LinkRelease(nullptr), 0);
    EXPECT_EQ(line.OpenCount(), 3u);
    const Bytes put = Join({PcCommand("FD"), Packet(1, "RFDX", true), Packet(2, "RFDaaa"),
                            {EOT, ENQ, ACK, ACK}});
    EXPECT_EQ(Written(), Join({put, PcCommand("LE"), put, PcCommand("LE")}));
}

TEST_F(Exports, AFailedReleaseLeavesThePutsResult)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    Handheld(Join({HandheldSmallPut(), {ACK, ACK}, Packet(1, "DNG"), {EOT, ENQ}}));
    EXPECT_EQ(KIVO_LinkPutFile(a.c_str(), "X", window.Handle()), 0);
    EXPECT_EQ(g_link.GetNotifyWindow(), nullptr) << "the release stored no window";
}

// An export called with the handheld's side queued ahead, and its result.
struct ExportCase {
    const char *name;
    Bytes handheld;
    std::function<int32_t()> call;
    int32_t result;
};

// The caller's window is the caller's: once an export has returned, whether
// it succeeded or failed, the library keeps no pointer to it.
TEST_F(Exports, NoExportKeepsTheCallersWindow)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    const std::string out = dir.Path("out");
    KIVO_HWND caller = window.Handle();
    const ExportCase cases[] = {
        {"a delete that succeeds", Join({HandheldCommand(), {ACK, ACK}}),
         [&] { return KIVO_LinkDelFile("A", caller); }, 0},
        {"a get that succeeds", Join({HandheldCommand(), {ACK, ACK}, Packet(1, "?FUab"), {EOT, ENQ}}),
         [&] { return KIVO_LinkGetFile(out.c_str(), "A", caller); }, 0},
        {"a text send that succeeds", {}, [&] { return KIVO_AppTextSend(a.c_str(), caller); }, 0},
        {"a put the handheld never answers", {},
         [&] { return KIVO_LinkPutFileEx(a.c_str(), "X", caller); }, KIVO_ERR_PACKET},
        {"a list of puts the handheld refuses", Join({{ACK, ACK}, Packet(1, "DNG"), {EOT, ENQ}}),
         [&] { return KIVO_LinkPutFilesEx(a.c_str(), "X", caller); }, KIVO_ERR_NO_DOK},
        {"a text receive the handheld never ends", Text("abc"),
         [&] { return KIVO_AppTextRecv(out.c_str(), caller); }, KIVO_ERR_BLOCK_RECV},
        {"a delete refused for its missing name", {},
         [&] { return KIVO_LinkDelFile(nullptr, caller); }, KIVO_ERR_NO_CONNECTION},
    };
    for (const ExportCase &c : cases) {
        SCOPED_TRACE(c.name);
        Handheld(c.handheld);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(g_link.GetNotifyWindow(), nullptr);
    }
}

TEST_F(Exports, OperationResultsPassThrough)
{
    const std::string out = dir.Path("out");
    const ExportCase cases[] = {
        {"no DOK", Join({{ACK, ACK}, Packet(1, "DNG"), {EOT, ENQ}}),
         [&] { return KIVO_LinkDelFile("A", nullptr); }, KIVO_ERR_NO_DOK},
        {"CAN", {CAN}, [&] { return KIVO_LinkRelease(nullptr); }, KIVO_ERR_PACKET_CANCEL},
        {"wrong reply", Join({HandheldCommand(), {ACK, ACK}, Packet(1, "xFUab"), {EOT, ENQ}}),
         [&] { return KIVO_LinkFileList(out.c_str(), "", nullptr); }, KIVO_ERR_WRONG_REPLY},
        {"delete of anything", Join({HandheldCommand(), {ACK, ACK}}),
         [&] { return KIVO_LinkDelFile("NOT.THERE", nullptr); }, 0},
    };
    for (const ExportCase &c : cases) {
        SimLine fresh;
        sim.AttachPort(kPort, &fresh);
        fresh.SendToPc(c.handheld.data(), c.handheld.size(), sim.Now());
        EXPECT_EQ(c.call(), c.result) << c.name;
        EXPECT_FALSE(fresh.IsOpen()) << c.name;
    }
}

TEST_F(Exports, ACancelFromTheWindowEndsWith999AndClosesThePort)
{
    // One piece arrives, then the handheld falls silent and the window cancels.
    Handheld(Join({HandheldCommand(), {ACK, ACK}, Packet(1, "?FUfirst piece")}));
    window.CancelAfterPolls(50);
    const std::string out = dir.Path("out");
    EXPECT_EQ(KIVO_LinkGetFile(out.c_str(), "A", window.Handle()), KIVO_CANCELLED);
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(TempDir::Read(out), Text("first piece")) << "bytes already written stay";
}

TEST_F(Exports, AnOutputFileThatFailsMidTransferEndsWithFileError)
{
    Bytes piece(200, 'p');
    Handheld(Join({HandheldCommand(), {ACK, ACK}, Packet(1, Join({Text("?FU"), piece})),
                   Packet(2, Join({Text("?FU"), piece})), {EOT, ENQ}}));
    // A file-size limit of 300 bytes makes the second write fail.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 300;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string out = dir.Path("out");
    const int32_t result = KIVO_LinkGetFile(out.c_str(), "A", nullptr);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, KIVO_ERR_FILE);
    EXPECT_FALSE(line.IsOpen());
    // What was written stays: the first piece, and what fitted of the second.
    EXPECT_EQ(TempDir::Read(out), Join({piece, Bytes(100, 'p')}));
}

// Running out of memory inside a conversation ends it with -999, as the
// header promises, after the port is closed and the switches undone; any
// other exception is a fault of the library and is not passed off as a
// result. (The window's answer is the place the test can raise them from.)
TEST_F(Exports, RunningOutOfMemoryEndsWithMinus999AfterClosing)
{
    Handheld(HandheldCommand());
    bool raised = false;
    window.AnswerWith([&](const SimWindow::Message &) -> intptr_t {
        if (!raised) {
            raised = true;
            throw std::bad_alloc();
        }
        return 0;
    });
    EXPECT_EQ(KIVO_LinkRelease(window.Handle()), KIVO_ERR_NO_CONNECTION);
    EXPECT_TRUE(raised);
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(g_link.Setting(0).xon, 1);
}

TEST_F(Exports, AnyOtherExceptionIsAFaultNotAResult)
{
    window.AnswerWith([](const SimWindow::Message &) -> intptr_t { throw std::logic_error("bug"); });
    EXPECT_DEATH(KIVO_LinkRelease(window.Handle()), "");
}

TEST_F(Exports, APortAlreadyOpenIsLeftAsItIs)
{
    ASSERT_EQ(g_link.Open(kPort, nullptr), 1);
    EXPECT_EQ(KIVO_LinkRelease(nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_TRUE(g_link.IsOpen());
    EXPECT_TRUE(line.IsOpen());
}

TEST_F(Exports, UnusableBlockSizesAreRefusedBeforeAnyByte)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    KIVO_LinkSendBlockSize(2);
    EXPECT_EQ(KIVO_LinkPutFile(a.c_str(), "X", nullptr), KIVO_ERR_NO_CONNECTION);
    KIVO_LinkSendBlockSize(256);
    KIVO_LinkRecvBlockSize(100000);
    EXPECT_EQ(KIVO_LinkRelease(nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(line.OpenCount(), 0u);
    EXPECT_TRUE(Written().empty());
}

TEST_F(Exports, NullArgumentsGiveDefinedResults)
{
    const std::string a = dir.Write("A.TXT", Text("aaa"));
    struct Case {
        const char *name;
        std::function<int32_t()> call;
        int32_t result;
    };
    const Case cases[] = {
        {"list path", [] { return KIVO_LinkFileList(nullptr, "", nullptr); }, KIVO_ERR_FILE},
        {"list argument", [&] { return KIVO_LinkFileList(a.c_str(), nullptr, nullptr); },
         KIVO_ERR_NO_CONNECTION},
        {"get path", [] { return KIVO_LinkGetFile(nullptr, "A", nullptr); }, KIVO_ERR_FILE},
        {"get name", [&] { return KIVO_LinkGetFile(a.c_str(), nullptr, nullptr); }, KIVO_ERR_NO_CONNECTION},
        {"put path", [] { return KIVO_LinkPutFile(nullptr, "A", nullptr); }, KIVO_ERR_FILE},
        {"put name", [&] { return KIVO_LinkPutFileEx(a.c_str(), nullptr, nullptr); }, KIVO_ERR_NO_CONNECTION},
        {"paths", [] { return KIVO_LinkPutFiles(nullptr, "A", nullptr); }, KIVO_ERR_NO_CONNECTION},
        {"names", [&] { return KIVO_LinkPutFilesEx(a.c_str(), nullptr, nullptr); }, KIVO_ERR_NO_CONNECTION},
        {"delete", [] { return KIVO_LinkDelFile(nullptr, nullptr); }, KIVO_ERR_NO_CONNECTION},
        {"text send", [] { return KIVO_AppTextSend(nullptr, nullptr); }, KIVO_ERR_FILE},
        {"text receive", [] { return KIVO_AppTextRecv(nullptr, nullptr); }, KIVO_ERR_FILE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.call(), c.result) << c.name;
    EXPECT_EQ(TempDir::Read(a), Text("aaa")) << "nothing emptied";
    EXPECT_EQ(line.OpenCount(), 0u);
}

}  // namespace
