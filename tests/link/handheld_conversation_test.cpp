// Every link export against the independent handheld (its line side and
// protocol side, with a file store in memory) on the simulated line, in each
// mode it runs in, in virtual time; and each failure code provoked by a fault
// of the handheld.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "handheld/line_side.h"
#include "handheld/protocol_side.h"
#include "link/link_object.h"
#include "platform/sim_window.h"
#include "export_fixture.h"
#include "support/sim_fixture.h"
#include "support/sim_handheld.h"
#include "support/memory_link_file.h"
#include "support/temp_dir.h"
#include "tessalink.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n, unsigned seed)
{
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 131 + seed) >> 1);
    return v;
}

using Handheld = HandheldOnLine;

class Conversations : public ExportFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        mode = GetParam();
        handheld = std::make_unique<Handheld>(mode);
        line.AttachPeer(&handheld->peer);
        KIVO_SetMode(static_cast<uint16_t>(mode));
        KIVO_SetPort(static_cast<uint16_t>(mode), kPort);
    }

    int mode = 0;
    std::unique_ptr<Handheld> handheld;
    TempDir dir;
    SimWindow window;
};

TEST_P(Conversations, FilesGoThereAndBack)
{
    const Bytes sizes[] = {Bytes(), Pattern(1, 1), Pattern(600, 2), Pattern(70000, 3)};
    int n = 0;
    for (const Bytes &data : sizes) {
        const std::string name = "F" + std::to_string(n++) + ".BIN";
        const std::string local = dir.Write(name, data);
        EXPECT_EQ(KIVO_LinkPutFile(local.c_str(), name.c_str(), window.Handle()), 0) << name;
        EXPECT_EQ(handheld->store.files[name], data) << name;
        const std::string back = dir.Path("back-" + name);
        EXPECT_EQ(KIVO_LinkGetFile(back.c_str(), name.c_str(), window.Handle()), 0) << name;
        EXPECT_EQ(TempDir::Read(back), data) << name;
        EXPECT_FALSE(line.IsOpen());
    }
    EXPECT_EQ(handheld->protocol.Releases(), 4u);

    const std::string list = dir.Path("list.txt");
    EXPECT_EQ(KIVO_LinkFileList(list.c_str(), "", window.Handle()), 0);
    EXPECT_EQ(TempDir::Read(list), handheld->store.List(""));
    EXPECT_FALSE(TempDir::Read(list).empty());

    EXPECT_EQ(KIVO_LinkDelFile("F2.BIN", window.Handle()), 0);
    EXPECT_EQ(handheld->store.files.count("F2.BIN"), 0u);
    EXPECT_EQ(KIVO_LinkDelFile("NOT.THERE", nullptr), 0);
}

TEST_P(Conversations, ListsOfFilesAndTheReleaseOnce)
{
    const std::string a = dir.Write("a.bin", Pattern(300, 4));
    const std::string b = dir.Write("b.bin", Pattern(40, 5));
    EXPECT_EQ(KIVO_LinkPutFileEx(a.c_str(), "E", nullptr), 0);
    EXPECT_EQ(KIVO_LinkPutFilesEx((a + "\r" + b).c_str(), "A\rB", nullptr), 0);
    EXPECT_EQ(handheld->protocol.Releases(), 0u);
    EXPECT_EQ(KIVO_LinkPutFiles((b + "\r" + a).c_str(), "C\rD", nullptr), 0);
    EXPECT_EQ(handheld->protocol.Releases(), 1u);
    EXPECT_EQ(handheld->store.files["A"], Pattern(300, 4));
    EXPECT_EQ(handheld->store.files["B"], Pattern(40, 5));
    EXPECT_EQ(handheld->store.files["C"], Pattern(40, 5));
    EXPECT_EQ(handheld->store.files["D"], Pattern(300, 4));
    EXPECT_EQ(handheld->store.files["E"], Pattern(300, 4));
    EXPECT_EQ(KIVO_LinkRelease(nullptr), 0);
    EXPECT_EQ(handheld->protocol.Releases(), 2u);
}

// Wherever the PC holds the turn after an operation (a list, a get, a put),
// the handheld serves the next one on the same connection, in any order.
TEST_P(Conversations, OperationsFollowOneAnotherOnOneConnection)
{
    handheld->store.files["A.BIN"] = Pattern(900, 9);
    const unsigned opens = line.OpenCount();
    ASSERT_EQ(g_link.Connect(), 1);
    MemoryLinkFile gotA, list, gotB, gotC;
    MemoryLinkFile b(Pattern(600, 10)), c(Pattern(3, 11)), d(Pattern(600, 10));
    EXPECT_EQ(g_link.GetFile(gotA, "A.BIN", nullptr), 0);
    EXPECT_EQ(g_link.PutFile(b, "B.BIN", nullptr), 0);
    EXPECT_EQ(g_link.FileList(list, "", nullptr), 0);
    EXPECT_EQ(g_link.GetFile(gotB, "B.BIN", nullptr), 0);
    EXPECT_EQ(g_link.PutFile(c, "C.BIN", nullptr), 0);
    EXPECT_EQ(g_link.PutFile(d, "D.BIN", nullptr), 0);
    EXPECT_EQ(g_link.GetFile(gotC, "C.BIN", nullptr), 0);
    EXPECT_EQ(g_link.Disconnect(0), 0);
    EXPECT_EQ(line.OpenCount(), opens + 1);
    EXPECT_EQ(gotA.contents, Pattern(900, 9));
    EXPECT_EQ(gotB.contents, Pattern(600, 10));
    EXPECT_EQ(gotC.contents, Pattern(3, 11));
    EXPECT_EQ(handheld->store.files["C.BIN"], Pattern(3, 11));
    EXPECT_EQ(handheld->store.files["D.BIN"], Pattern(600, 10));
    // The list was taken when A.BIN and B.BIN were all there was.
    handheld::MemoryFileStore then;
    then.files = {{"A.BIN", Pattern(900, 9)}, {"B.BIN", Pattern(600, 10)}};
    EXPECT_EQ(list.contents, then.List(""));
}

// Several files fetched over one connection; a local file is created only
// when its pair's turn comes, so a stop leaves the earlier files whole and
// the later paths untouched.
TEST_P(Conversations, GetFilesFetchesEachPairOnOneConnection)
{
    handheld->store.files["A"] = Pattern(1000, 12);
    handheld->store.files["B"] = Bytes();
    handheld->store.files["C"] = Pattern(70, 13);
    const unsigned opens = line.OpenCount();
    const std::string a = dir.Path("a.out"), b = dir.Path("b.out"), c = dir.Path("c.out");
    // Empty entries are skipped; the longer list's extra entry is ignored.
    const std::string paths = "\r" + a + "\r\r" + b + "\r" + c + "\r";
    EXPECT_EQ(KIVO_LinkGetFiles(paths.c_str(), "A\rB\r\rC\rIGNORED", window.Handle()), 0);
    EXPECT_EQ(line.OpenCount(), opens + 1) << "one connection";
    EXPECT_EQ(TempDir::Read(a), Pattern(1000, 12));
    EXPECT_TRUE(TempDir::Exists(b) && TempDir::Read(b).empty());
    EXPECT_EQ(TempDir::Read(c), Pattern(70, 13));
    EXPECT_EQ(handheld->protocol.Releases(), 0u);

    // A name the handheld does not send stops the walk with its code.
    const std::string d = dir.Path("d.out"), e = dir.Path("e.out"), f = dir.Path("f.out");
    EXPECT_EQ(KIVO_LinkGetFiles((d + "\r" + e + "\r" + f).c_str(), "C\rMISSING\rA", nullptr),
              KIVO_ERR_WRONG_REPLY);
    EXPECT_EQ(TempDir::Read(d), Pattern(70, 13));
    EXPECT_TRUE(TempDir::Exists(e));
    EXPECT_FALSE(TempDir::Exists(f)) << "a later pair's path is not touched";
    EXPECT_FALSE(line.IsOpen());
    // In mode 1 the PC gave up in the middle of the handheld's turn; the
    // handheld starts afresh when it sees the line closed, as the emulator does.
    handheld->protocol.Restart();

    // A local file that cannot be created stops the walk with -500.
    const std::string g = dir.Path("g.out"), h = dir.Path("h.out");
    const std::string noDir = dir.Path("no-such-dir/x.out");
    EXPECT_EQ(KIVO_LinkGetFiles((g + "\r" + noDir + "\r" + h).c_str(), "A\rB\rC", nullptr),
              KIVO_ERR_FILE);
    EXPECT_EQ(TempDir::Read(g), Pattern(1000, 12));
    EXPECT_FALSE(TempDir::Exists(h));

    // No pair at all: a connection that carries no operation, -999.
    EXPECT_EQ(KIVO_LinkGetFiles("\r\r", "A", nullptr), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(KIVO_LinkGetFiles(a.c_str(), nullptr, nullptr), KIVO_ERR_NO_CONNECTION);
}

TEST_P(Conversations, TextBothWays)
{
    const Bytes text = {'l', 'i', 'n', 'e', ' ', '1', '\r', '\n', 'l', 'i', 'n', 'e', ' ', '2', '\r', '\n'};
    handheld->protocol.ExpectText();
    EXPECT_EQ(KIVO_AppTextSend(dir.Write("out.txt", text).c_str(), nullptr), 0);
    EXPECT_TRUE(handheld->protocol.TextComplete());
    EXPECT_EQ(handheld->protocol.ReceivedText(), text);

    const Bytes reply = Pattern(1500, 6);
    if (mode == 1) {
        // The handheld answers once the PC has opened the line.
        const unsigned switches = handheld->side.SwitchesSeen();
        handheld->peer.SetPump([this, reply, switches, sent = false](uint32_t now) mutable {
            if (!sent && handheld->side.SwitchesSeen() > switches) {
                sent = true;
                handheld->protocol.SendText(reply);
            }
            handheld->protocol.Pump(now);
        });
    } else {
        handheld->protocol.SendText(reply);
        handheld->peer.Flush(line);
    }
    const std::string in = dir.Path("in.txt");
    EXPECT_EQ(KIVO_AppTextRecv(in.c_str(), nullptr), 0);
    Bytes expected = reply;
    expected.push_back(0x1A);
    EXPECT_EQ(TempDir::Read(in), expected);
}

TEST_P(Conversations, PutFile2InModeTwo)
{
    if (mode != 2)
        GTEST_SKIP() << "the put-file-2 exports run in mode 2 only";
    handheld->protocol.SetChunkSize(4096);
    const Bytes data = Pattern(10000, 7);
    const std::string local = dir.Write("big.bin", data);
    EXPECT_EQ(KIVO_LinkPutFile2(local.c_str(), "A", window.Handle()), 0);
    EXPECT_EQ(handheld->store.files["A"], data);
    EXPECT_EQ(handheld->protocol.Releases(), 1u);
    EXPECT_EQ(KIVO_LinkPutFiles2Ex((local + "\r" + local).c_str(), "B\rC", nullptr), 0);
    EXPECT_EQ(handheld->store.files["C"], data);
    EXPECT_EQ(KIVO_LinkPutFiles2(local.c_str(), "D", nullptr), 0);
    EXPECT_EQ(handheld->store.files["D"], data);
    EXPECT_EQ(handheld->protocol.Releases(), 2u);
    EXPECT_EQ(KIVO_LinkPutFile2Ex(dir.Write("empty", {}).c_str(), "E", nullptr), 0);
    EXPECT_TRUE(handheld->store.files.count("E") == 1 && handheld->store.files["E"].empty());
}

struct FaultCase {
    const char *name;
    std::function<void(handheld::ProtocolFaults &)> fault;
    enum Call { kRelease, kList, kGet, kPut } call;
    int modeZeroAndTwo;  // expected result in modes 0 and 2
    int modeOne;         // and in mode 1
};

class HandheldFaults : public Conversations {};

TEST_P(HandheldFaults, EachFaultGivesItsCode)
{
    using F = handheld::ProtocolFaults;
    const FaultCase cases[] = {
        {"no DOK", [](F &f) { f.answerWithoutDok = true; }, FaultCase::kRelease, KIVO_ERR_NO_DOK,
         KIVO_ERR_NO_DOK},
        {"one NAK is survived", [](F &f) { f.nakReceived = 1; }, FaultCase::kRelease, 0, 0},
        {"three NAKs", [](F &f) { f.nakReceived = 3; }, FaultCase::kRelease, KIVO_ERR_PACKET,
         KIVO_ERR_PACKET},
        {"CAN for ACK", [](F &f) { f.cancelInsteadOfAck = true; }, FaultCase::kRelease,
         KIVO_ERR_PACKET_CANCEL, KIVO_ERR_PACKET_CANCEL},
        {"CAN at the end of the PC's turn", [](F &f) { f.cancelInsteadOfEotAck = true; },
         FaultCase::kRelease, KIVO_ERR_PACKET_CANCEL, KIVO_ERR_PACKET_CANCEL},
        {"CAN for ENQ", [](F &f) { f.cancelInsteadOfEnq = true; }, FaultCase::kRelease,
         KIVO_ERR_PACKET_CANCEL, KIVO_ERR_PACKET_CANCEL},
        // A first CAN is answered ENQ in the raw modes; in mode 1 it stands
        // for an "ANG000" packet, which the command exchange refuses.
        {"one CAN for a packet", [](F &f) { f.cancelsBeforePacket = 1; }, FaultCase::kGet, 0,
         KIVO_ERR_NO_DOK},
        {"two CANs for a packet", [](F &f) { f.cancelsBeforePacket = 2; }, FaultCase::kGet,
         KIVO_ERR_PACKET_CANCEL, KIVO_ERR_NO_DOK},
        {"wrong reply code", [](F &f) { f.wrongReplyCode = true; }, FaultCase::kList,
         KIVO_ERR_WRONG_REPLY, KIVO_ERR_WRONG_REPLY},
        // In modes 0 and 2 the PC takes the handheld's end of turn before it
        // gives up, but the handheld's further replies come instead.
        {"short reply", [](F &f) { f.shortReply = true; }, FaultCase::kGet, KIVO_ERR_PACKET,
         KIVO_ERR_WRONG_REPLY},
        {"no AEX", [](F &f) { f.answerWithoutAex = true; }, FaultCase::kPut, KIVO_ERR_WRONG_REPLY,
         KIVO_ERR_WRONG_REPLY},
        {"two answers", [](F &f) { f.twoAnswers = true; }, FaultCase::kPut, KIVO_ERR_PACKET,
         KIVO_ERR_PACKET},
        {"one bad checksum is resent", [](F &f) { f.badChecksum = 1; }, FaultCase::kGet, 0, 0},
        {"three bad checksums", [](F &f) { f.badChecksum = 3; }, FaultCase::kGet, KIVO_ERR_PACKET,
         KIVO_ERR_PACKET},
        {"three bad complements", [](F &f) { f.badComplement = 3; }, FaultCase::kGet,
         KIVO_ERR_PACKET, KIVO_ERR_PACKET},
        {"three wrong numbers", [](F &f) { f.wrongSequence = 3; }, FaultCase::kGet, KIVO_ERR_PACKET,
         KIVO_ERR_PACKET},
        // The handheld's first packet is its "DOK": repeated, it comes where
        // the end of its turn is due.
        {"a repeated answer where the turn should end", [](F &f) { f.repeatPacket = true; },
         FaultCase::kGet, KIVO_ERR_PACKET, KIVO_ERR_PACKET},
        {"silence", [](F &f) { f.silentAfter = 0u; }, FaultCase::kRelease, KIVO_ERR_PACKET,
         KIVO_ERR_BLOCK_RECV},
    };
    const Bytes data = Pattern(700, 8);
    for (const FaultCase &c : cases) {
        SCOPED_TRACE(c.name);
        handheld = std::make_unique<Handheld>(mode);
        line.AttachPeer(&handheld->peer);
        handheld->store.files["G"] = data;
        c.fault(handheld->protocol.Faults());
        const std::string out = dir.Path("out");
        int32_t result = 0;
        switch (c.call) {
        case FaultCase::kRelease: result = KIVO_LinkRelease(nullptr); break;
        case FaultCase::kList: result = KIVO_LinkFileList(out.c_str(), "", nullptr); break;
        case FaultCase::kGet: result = KIVO_LinkGetFile(out.c_str(), "G", nullptr); break;
        case FaultCase::kPut: result = KIVO_LinkPutFileEx(dir.Write("in", data).c_str(), "P", nullptr); break;
        }
        EXPECT_EQ(result, mode == 1 ? c.modeOne : c.modeZeroAndTwo);
        if (result == 0 && c.call == FaultCase::kGet) {
            EXPECT_EQ(TempDir::Read(out), data);
        }
        EXPECT_FALSE(line.IsOpen());
        // Let the handheld finish whatever it was doing before the next case.
        sim.Advance(20000);
    }
}

std::string ModeName(const ::testing::TestParamInfo<int> &p)
{
    return "Mode" + std::to_string(p.param);
}

INSTANTIATE_TEST_SUITE_P(AllModes, Conversations, ::testing::Values(0, 1, 2), ModeName);
INSTANTIATE_TEST_SUITE_P(AllModes, HandheldFaults, ::testing::Values(0, 1, 2), ModeName);

}  // namespace
