// The file operations in a raw mode, as whole conversations: the handheld's
// side is queued on the simulated line, and the PC's side is compared byte for
// byte with the packets and control bytes each operation must send.
#include <gtest/gtest.h>

#include <functional>

#include "link/link_protocol.h"
#include "platform/sim_window.h"
#include "support/memory_link_file.h"
#include "support/sim_fixture.h"
#include "raw_link.h"
#include "tessalink.h"
#include "packet_wire.h"

namespace {

using namespace wire;

// The handheld's side of a command exchange, and the PC's.
Bytes HandheldCommand() { return Join({{ACK, ACK}, Packet(1, "DOK"), {EOT, ENQ}}); }
Bytes PcCommand(const char *code)
{
    return Join({Packet(1, std::string("C") + code), {EOT, ENQ, ACK, ACK}});
}
// The handheld taking the PC's request and end of turn.
const Bytes kAckRequestAndTurn = {ACK, ACK};
const Bytes kPcEndTurn = {EOT, ENQ};

// n bytes counting up by step, modulo 256.
Bytes Counting(size_t n, unsigned step = 1)
{
    Bytes data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = static_cast<uint8_t>(i * step);
    return data;
}

class FileOperations : public RawLinkTest {
protected:
    SimWindow window;
    MemoryLinkFile file;
};

TEST_F(FileOperations, FileListStoresThePiecesAsTheyCame)
{
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn, Packet(1, "xFFabc"), Packet(2, "yFF"),
                   Packet(3, "zFFdef"), {EOT, ENQ}}));
    EXPECT_EQ(link.FileList(file, "*.TXT", window.Handle()), 0);
    EXPECT_EQ(file.contents, Text("abcdef"));
    EXPECT_EQ(Written(), Join({PcCommand("FF"), Packet(1, "RFF*.TXT", true), kPcEndTurn,
                               {ACK, ACK, ACK, ACK}}));
    EXPECT_TRUE(window.Progress().empty());
}

TEST_F(FileOperations, AnEmptyListAndAnEmptyArgument)
{
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn, {EOT, ENQ}}));
    EXPECT_EQ(link.FileList(file, "", nullptr), 0);
    EXPECT_TRUE(file.contents.empty());
    EXPECT_EQ(Written(), Join({PcCommand("FF"), Packet(1, "RFF", true), kPcEndTurn, {ACK}}));
}

TEST_F(FileOperations, WrongRepliesEndWithMinusHundred)
{
    struct Case {
        const char *name;
        Bytes reply;
    };
    const Case cases[] = {
        {"coded FU", Packet(1, "xFUabc")},
        {"two bytes", Packet(1, "xF")},
        {"empty", Packet(1, "")},
    };
    for (const Case &c : cases) {
        RawLink fresh(sim, 5);
        ASSERT_TRUE(fresh.open);
        CLinkProtocol &other = fresh.link;
        const Bytes handheld =
            Join({HandheldCommand(), kAckRequestAndTurn, c.reply, {EOT, ENQ}});
        fresh.line.SendToPc(handheld.data(), handheld.size(), sim.Now());
        MemoryLinkFile out;
        EXPECT_EQ(other.FileList(out, "", nullptr), KIVO_ERR_WRONG_REPLY) << c.name;
        EXPECT_TRUE(out.contents.empty()) << c.name;
        // The handheld's end of turn was taken before giving up.
        EXPECT_EQ(fresh.line.QueuedToPc(), 0u) << c.name;
    }
}

TEST_F(FileOperations, GetFileReportsEachPacket)
{
    const Bytes a(253, 'a'), b(253, 'b'), c(10, 'c');
    auto reply = [](uint8_t seq, const Bytes &piece) {
        return Packet(seq, Join({Text("?FU"), piece}));
    };
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn, reply(1, a), reply(2, b), reply(3, c),
                   {EOT, ENQ}}));
    EXPECT_EQ(link.GetFile(file, "MEMO.TXT", window.Handle()), 0);
    EXPECT_EQ(file.contents, Join({a, b, c}));
    EXPECT_EQ(window.Progress(), (std::vector<std::pair<uintptr_t, intptr_t>>{{253, 0}, {253, 0}, {10, 0}}));
    EXPECT_EQ(Written(), Join({PcCommand("FU"), Packet(1, "RFUMEMO.TXT", true), kPcEndTurn,
                               {ACK, ACK, ACK, ACK}}));
}

TEST_F(FileOperations, ReplyNumbersWrapAfter255)
{
    Bytes handheld = Join({HandheldCommand(), kAckRequestAndTurn});
    Bytes expected;
    for (int i = 1; i <= 300; ++i) {
        const uint8_t piece = static_cast<uint8_t>(i);
        handheld = Join({handheld, Packet(static_cast<uint8_t>(i & 0xFF), Bytes{'?', 'F', 'U', piece})});
        expected.push_back(piece);
    }
    Handheld(Join({handheld, {EOT, ENQ}}));
    EXPECT_EQ(link.GetFile(file, "BIG", nullptr), 0);
    EXPECT_EQ(file.contents, expected);
}

TEST_F(FileOperations, PutFileSendsNumberedPiecesOfTheBlockSize)
{
    const Bytes data = Counting(600);
    file.contents = data;
    Handheld(Join({HandheldCommand(), {ACK, ACK, ACK, ACK}, {ACK}, Packet(1, "AEX"), {EOT, ENQ}}));
    EXPECT_EQ(link.PutFile(file, "DATA", window.Handle()), 0);
    const Bytes p1(data.begin(), data.begin() + 253), p2(data.begin() + 253, data.begin() + 506),
        p3(data.begin() + 506, data.end());
    EXPECT_EQ(Written(), Join({PcCommand("FD"), Packet(1, "RFDDATA", true),
                               Packet(2, Join({Text("RFD"), p1})), Packet(3, Join({Text("RFD"), p2})),
                               Packet(4, Join({Text("RFD"), p3})), kPcEndTurn, {ACK, ACK}}));
    EXPECT_EQ(window.Progress(),
              (std::vector<std::pair<uintptr_t, intptr_t>>{{253, 600}, {253, 600}, {94, 600}}));
}

TEST_F(FileOperations, PutNumbersWrapFrom255ToZero)
{
    // One file byte a packet: the request is packet 1, the 300 pieces 2 to 301.
    link.SetSendBlockSize(4);
    const Bytes data = Counting(300, 3);
    file.contents = data;
    Handheld(Join({HandheldCommand(), Bytes(1 + data.size(), ACK), {ACK}, Packet(1, "AEX"),
                   {EOT, ENQ}}));
    EXPECT_EQ(link.PutFile(file, "W", nullptr), 0);
    Bytes expected = Join({PcCommand("FD"), Packet(1, "RFDW", true)});
    for (size_t i = 0; i < data.size(); ++i) {
        const Bytes piece = Packet(static_cast<uint8_t>((i + 2) & 0xFF), Bytes{'R', 'F', 'D', data[i]});
        expected.insert(expected.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(Written(), Join({expected, kPcEndTurn, {ACK, ACK}}));
}

TEST_F(FileOperations, PutFileOfAnEmptyFile)
{
    Handheld(Join({HandheldCommand(), {ACK, ACK}, Packet(1, "AEX"), {EOT, ENQ}}));
    EXPECT_EQ(link.PutFile(file, "EMPTY", window.Handle()), 0);
    EXPECT_EQ(Written(), Join({PcCommand("FD"), Packet(1, "RFDEMPTY", true), kPcEndTurn, {ACK, ACK}}));
    EXPECT_TRUE(window.Progress().empty());
}

TEST_F(FileOperations, PutFile2SendsChunksEachAcknowledged)
{
    link.SetSendBlockSize(4096);
    const Bytes data = Counting(10000, 3);
    file.contents = data;
    // The second chunk is refused once and goes out again.
    Handheld(Join({HandheldCommand(), {ACK}, {ACK, NAK, ACK, ACK}, {ACK}, Packet(1, "AEX"),
                   {EOT, ENQ}}));
    EXPECT_EQ(link.PutFile2(file, "A", window.Handle()), 0);
    const Bytes c1(data.begin(), data.begin() + 4096), c2(data.begin() + 4096, data.begin() + 8192),
        c3(data.begin() + 8192, data.end());
    EXPECT_EQ(Written(), Join({PcCommand("DL"), Packet(1, "RDLA|10000", true), c1, c2, c2, c3,
                               kPcEndTurn, {ACK, ACK}}));
    EXPECT_EQ(window.Progress(), (std::vector<std::pair<uintptr_t, intptr_t>>{
                              {4096, 10000}, {4096, 10000}, {1808, 10000}}));
}

TEST_F(FileOperations, PutFile2AnnouncesSizeZero)
{
    Handheld(Join({HandheldCommand(), {ACK, ACK}, Packet(1, "AEX"), {EOT, ENQ}}));
    EXPECT_EQ(link.PutFile2(file, "A", nullptr), 0);
    EXPECT_EQ(Written(), Join({PcCommand("DL"), Packet(1, "RDLA|0", true), kPcEndTurn, {ACK, ACK}}));
}

TEST_F(FileOperations, ThePutAnswer)
{
    struct Case {
        const char *name;
        Bytes answer;
        int result;
    };
    const Case cases[] = {
        {"AEX and more", Join({Packet(1, "AEXTRA"), {EOT, ENQ}}), 0},
        {"not AEX", Join({Packet(1, "AEY"), {EOT, ENQ}}), KIVO_ERR_WRONG_REPLY},
        {"too short", Join({Packet(1, "AE"), {EOT, ENQ}}), KIVO_ERR_WRONG_REPLY},
        {"two answers", Join({Packet(1, "AEX"), Packet(2, "AEX")}), KIVO_ERR_PACKET},
        {"no answer", {EOT, ENQ, EOT, ENQ}, KIVO_ERR_WRONG_REPLY},
    };
    for (const Case &c : cases) {
        RawLink fresh(sim, 6);
        ASSERT_TRUE(fresh.open);
        CLinkProtocol &other = fresh.link;
        const Bytes handheld = Join({HandheldCommand(), {ACK, ACK}, c.answer});
        fresh.line.SendToPc(handheld.data(), handheld.size(), sim.Now());
        MemoryLinkFile empty;
        EXPECT_EQ(other.PutFile(empty, "X", nullptr), c.result) << c.name;
    }
}

TEST_F(FileOperations, DeleteReadsNoAnswerAndReleaseIsTheBareCommand)
{
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn}));
    EXPECT_EQ(link.DelFile("A", nullptr), 0);
    EXPECT_EQ(Written(), Join({PcCommand("FC"), Packet(1, Bytes{'R', 'F', 'C', 'A', 0}), kPcEndTurn}));
    EXPECT_EQ(line.QueuedToPc(), 0u);

    const size_t before = Written().size();
    Handheld(HandheldCommand());
    EXPECT_EQ(link.Release(nullptr), 0);
    const Bytes all = Written();
    EXPECT_EQ(Bytes(all.begin() + static_cast<long>(before), all.end()),
              Join({Bytes{0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x4C, 0x45, 0xD4, 0x00},
                    {EOT, ENQ, ACK, ACK}}));
}

TEST_F(FileOperations, RequestsThatCannotBeSentAreRefusedBeforeAnyByte)
{
    const std::string longName(300, 'N');  // more than a 256-byte packet holds
    const std::string oneTooMany(254, 'N');
    struct Case {
        const char *name;
        std::function<int()> run;
        int result;
    };
    const Case cases[] = {
        {"list argument too long", [&] { return link.FileList(file, longName.c_str(), nullptr); },
         KIVO_ERR_PACKET},
        {"get name too long", [&] { return link.GetFile(file, longName.c_str(), nullptr); },
         KIVO_ERR_PACKET},
        {"put name too long", [&] { return link.PutFile(file, longName.c_str(), nullptr); },
         KIVO_ERR_PACKET},
        {"get name one byte too long", [&] { return link.GetFile(file, oneTooMany.c_str(), nullptr); },
         KIVO_ERR_PACKET},
        {"delete name missing", [&] { return link.DelFile(nullptr, nullptr); }, KIVO_ERR_PACKET},
        {"unusable send block size",
         [&] {
             link.SetSendBlockSize(3);
             int r = link.Release(nullptr);
             link.SetSendBlockSize(256);
             return r;
         },
         KIVO_ERR_NO_CONNECTION},
        {"unusable receive block size",
         [&] {
             link.SetRecvBlockSize(9000);
             int r = link.GetFile(file, "A", nullptr);
             link.SetRecvBlockSize(256);
             return r;
         },
         KIVO_ERR_NO_CONNECTION},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.run(), c.result) << c.name;
    EXPECT_TRUE(Written().empty());

    // The longest name that fits: "RFU", 253 characters and the zero are the
    // 257 data bytes that a 256-byte block's packet holds.
    const std::string fits(253, 'F');
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn, {EOT, ENQ}}));
    EXPECT_EQ(link.GetFile(file, fits.c_str(), nullptr), 0);
}

TEST_F(FileOperations, FailuresOfTheCallersFileAreNotProtocolResults)
{
    Handheld(Join({HandheldCommand(), kAckRequestAndTurn, Packet(1, "xFUabcdef")}));
    file.failAfter = 3;
    EXPECT_THROW(link.GetFile(file, "A", nullptr), CFileError);

    MemoryLinkFile input(Bytes(1000, 'x'));
    input.failAfter = 500;
    RawLink fresh(sim, 7);
    ASSERT_TRUE(fresh.open);
    CLinkProtocol &other = fresh.link;
    const Bytes handheld = Join({HandheldCommand(), Bytes(10, ACK)});
    fresh.line.SendToPc(handheld.data(), handheld.size(), sim.Now());
    EXPECT_THROW(other.PutFile(input, "A", nullptr), CFileError);
    MemoryLinkFile noSize;
    noSize.failSize = true;
    EXPECT_THROW(other.PutFile2(noSize, "A", nullptr), CFileError);
}

}  // namespace
