// The packet layer in a raw mode, byte for byte: the handheld's side of each
// exchange is queued on the simulated line ahead of time, and what the PC
// wrote is compared with the packet layout.
#include <gtest/gtest.h>

#include "link/link_protocol.h"
#include "link/my_exception.h"
#include "support/code_of.h"
#include "support/sim_fixture.h"
#include "raw_link.h"
#include "tessalink.h"
#include "packet_wire.h"

namespace {

using namespace wire;

class PacketLayer : public RawLinkTest {};

TEST_F(PacketLayer, PacketsFollowTheLayout)
{
    struct Case {
        uint8_t sequence;
        Bytes data;
        Bytes wire;
    };
    const Case cases[] = {
        {1, {}, {0x01, 0x01, 0xFE, 0x00, 0x00, 0x00, 0x00}},
        {1, Text("CLE"), {0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x4C, 0x45, 0xD4, 0x00}},
        {1, Text("CFF"), {0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x46, 0x46, 0xCF, 0x00}},
        {1, Text("RFF", true), {0x01, 0x01, 0xFE, 0x04, 0x00, 0x52, 0x46, 0x46, 0x00, 0xDE, 0x00}},
        {255, {0xFF}, {0x01, 0xFF, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00}},
        {0, {0x80, 0x80}, {0x01, 0x00, 0xFF, 0x02, 0x00, 0x80, 0x80, 0x00, 0x01}},
    };
    size_t offset = 0;
    for (const Case &c : cases) {
        Handheld({ACK});
        link.SetSequence(c.sequence);
        link.SendPacket(c.data.data(), static_cast<unsigned>(c.data.size()));
        Bytes all = Written();
        EXPECT_EQ(Bytes(all.begin() + static_cast<long>(offset), all.end()), c.wire);
        offset = all.size();
    }
}

TEST_F(PacketLayer, SendPacketAnswers)
{
    struct Case {
        const char *name;
        Bytes answers;
        int code;        // 0: sent
        size_t sendings;
    };
    const Case cases[] = {
        {"ACK", {ACK}, 0, 1},
        {"NAK then ACK", {NAK, ACK}, 0, 2},
        {"two NAKs then ACK", {NAK, NAK, ACK}, 0, 3},
        {"three NAKs", {NAK, NAK, NAK, ACK}, KIVO_ERR_PACKET, 3},
        {"CAN", {CAN}, KIVO_ERR_PACKET_CANCEL, 1},
        {"NAK then CAN", {NAK, CAN}, KIVO_ERR_PACKET_CANCEL, 2},
        {"EOT", {EOT}, KIVO_ERR_PACKET, 1},
    };
    const Bytes packet = Packet(7, "xyz");
    for (const Case &c : cases) {
        RawLink fresh(sim, 3);
        ASSERT_TRUE(fresh.open);
        LinkProtocolSeam &other = fresh.link;
        fresh.line.SendToPc(c.answers.data(), c.answers.size(), sim.Now());
        other.SetSequence(7);
        const uint8_t data[] = {'x', 'y', 'z'};
        int code = 0;
        try {
            other.SendPacket(data, 3);
        } catch (const CMyException &e) {
            code = e.GetCode();
        }
        EXPECT_EQ(code, c.code) << c.name;
        Bytes expected;
        for (size_t i = 0; i < c.sendings; ++i)
            expected.insert(expected.end(), packet.begin(), packet.end());
        EXPECT_EQ(fresh.line.FromPcValues(), expected) << c.name << ": each sending unchanged";
    }
}

TEST_F(PacketLayer, EndTurnIsEotAckEnq)
{
    Handheld({ACK});
    link.EndTurn();
    EXPECT_EQ(Written(), (Bytes{EOT, ENQ}));
    Handheld({CAN});
    EXPECT_EQ(CodeOf([&] { link.EndTurn(); }), KIVO_ERR_PACKET_CANCEL);
    Handheld({NAK});
    EXPECT_EQ(CodeOf([&] { link.EndTurn(); }), KIVO_ERR_PACKET);
    EXPECT_EQ(Written(), (Bytes{EOT, ENQ, EOT, EOT}));  // no ENQ after a wrong answer
}

struct ReceiveCase {
    const char *name;
    uint8_t expected;   // m_sequence
    bool expectEnd;
    Bytes handheld;
    int code;           // 0: no exception
    bool ended;         // the result when no exception
    Bytes pcWrites;
    size_t leftUnread;  // bytes of the handheld still queued
};

class ReceivePacketCases : public PacketLayer, public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(ReceivePacketCases, Answer)
{
    const ReceiveCase &c = GetParam();
    Handheld(c.handheld);
    link.SetSequence(c.expected);
    int code = 0;
    bool ended = false;
    try {
        ended = link.ReceivePacket(c.expectEnd);
    } catch (const CMyException &e) {
        code = e.GetCode();
    }
    EXPECT_EQ(code, c.code);
    if (code == 0) {
        EXPECT_EQ(ended, c.ended);
    }
    EXPECT_EQ(Written(), c.pcWrites);
    EXPECT_EQ(line.QueuedToPc(), c.leftUnread);
    EXPECT_EQ(link.GetSequence(), c.expected) << "ReceivePacket never moves the sequence";
}

Bytes BadComplement()
{
    Bytes p = Packet(1, "abc");
    p[2] = 0x00;
    return p;
}

Bytes BadSum()
{
    Bytes p = Packet(1, "abc");
    p.back() ^= 0x01;
    return p;
}

Bytes Oversized()
{
    // Claims 600 data bytes: more than a 256-byte receive block holds.
    Bytes data(600, 0x41);
    return Packet(1, data);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReceivePacketCases,
    ::testing::Values(
        ReceiveCase{"good", 1, false, Packet(1, "abc"), 0, false, {ACK}, 0},
        ReceiveCase{"end of turn", 1, false, {EOT, ENQ}, 0, true, {ACK}, 0},
        ReceiveCase{"end expected", 1, true, {EOT, ENQ}, 0, true, {ACK}, 0},
        ReceiveCase{"packet where the end is expected", 1, true, Packet(1, "abc"), KIVO_ERR_PACKET,
                    false, {}, 0},
        ReceiveCase{"CAN after EOT", 1, false, {EOT, CAN}, KIVO_ERR_PACKET_CANCEL, false, {ACK}, 0},
        ReceiveCase{"NAK after EOT", 1, false, {EOT, NAK}, KIVO_ERR_PACKET, false, {ACK}, 0},
        ReceiveCase{"stray ACK skipped", 1, false, Join({{ACK, ACK}, Packet(1, "abc")}), 0, false,
                    {ACK}, 0},
        ReceiveCase{"16 stray ACKs skipped", 1, false, Join({Bytes(16, ACK), Packet(1, "abc")}), 0,
                    false, {ACK}, 0},
        ReceiveCase{"the 17th stray ACK fails the wait", 1, false,
                    Join({Bytes(17, ACK), Packet(1, "abc")}), KIVO_ERR_PACKET, false, {}, 10},
        ReceiveCase{"first CAN answered ENQ", 1, false, Join({{CAN}, Packet(1, "abc")}), 0, false,
                    {ENQ, ACK}, 0},
        ReceiveCase{"second CAN", 1, false, {CAN, CAN}, KIVO_ERR_PACKET_CANCEL, false, {ENQ}, 0},
        ReceiveCase{"other byte", 1, false, {0x41}, KIVO_ERR_PACKET, false, {}, 0},
        ReceiveCase{"bad complement, then good", 1, false, Join({BadComplement(), Packet(1, "abc")}),
                    0, false, {NAK, ACK}, 0},
        ReceiveCase{"wrong number, then good", 1, false, Join({Packet(3, "abc"), Packet(1, "abc")}),
                    0, false, {NAK, ACK}, 0},
        ReceiveCase{"bad sum, then good", 1, false, Join({BadSum(), Packet(1, "abc")}), 0, false,
                    {NAK, ACK}, 0},
        ReceiveCase{"repeat acknowledged, not used", 2, false,
                    Join({Packet(1, "old"), Packet(2, "new")}), 0, false, {ACK, ACK}, 0},
        ReceiveCase{"255 is no repeat of 0", 0, false, Join({Packet(255, "x"), Packet(0, "y")}), 0,
                    false, {NAK, ACK}, 0},
        ReceiveCase{"three refusals and no fourth read", 1, false,
                    Join({BadSum(), BadComplement(), Packet(9, "z"), Packet(1, "abc")}),
                    KIVO_ERR_PACKET, false, {NAK, NAK, NAK}, 10},
        ReceiveCase{"repeats count as attempts", 4, false,
                    Join({Packet(3, "a"), Packet(3, "a"), Packet(3, "a")}), KIVO_ERR_PACKET, false,
                    {ACK, ACK, ACK}, 0},
        ReceiveCase{"too long for the buffer: read off and refused", 1, false,
                    Join({Oversized(), Packet(1, "abc")}), 0, false, {NAK, ACK}, 0}),
    [](const ::testing::TestParamInfo<ReceiveCase> &p) {
        std::string name;
        for (const char *c = p.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST_F(PacketLayer, TheAcceptedPacketIsInTheReceiveBuffer)
{
    Handheld(Packet(1, "xFFabc"));
    link.SetSequence(1);
    EXPECT_FALSE(link.ReceivePacket(false));
    EXPECT_EQ(link.PacketDataLength(), 6u);
    EXPECT_EQ(Bytes(link.PacketData(), link.PacketData() + 6), Text("xFFabc"));
}

TEST_F(PacketLayer, SendCommandNeedsDok)
{
    struct Case {
        const char *name;
        Bytes answer;
        int code;
    };
    const Case cases[] = {
        {"DOK", Packet(1, "DOK"), 0},
        {"DOK and more", Packet(1, "DOKAY"), 0},
        {"DNG", Packet(1, "DNG"), KIVO_ERR_NO_DOK},
        {"too short", Packet(1, "DO"), KIVO_ERR_NO_DOK},
        {"empty", Packet(1, ""), KIVO_ERR_NO_DOK},
    };
    for (const Case &c : cases) {
        RawLink fresh(sim, 4);
        ASSERT_TRUE(fresh.open);
        LinkProtocolSeam &other = fresh.link;
        const Bytes handheld = Join({{ACK, ACK}, c.answer, {EOT, ENQ}});
        fresh.line.SendToPc(handheld.data(), handheld.size(), sim.Now());
        int code = 0;
        try {
            other.SendCommand("FF");
        } catch (const CMyException &e) {
            code = e.GetCode();
        }
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_EQ(fresh.line.FromPcValues(), Join({Packet(1, "CFF"), {EOT, ENQ, ACK, ACK}})) << c.name;
    }
}

TEST_F(PacketLayer, ASilentHandheldIsGivenUpAfterSixMinutes)
{
    link.SetSequence(1);
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(CodeOf([&] { link.ReceivePacket(false); }), KIVO_ERR_PACKET);
    EXPECT_GE(sim.Now() - t0, 360000u);
    EXPECT_LE(sim.Now() - t0, 360002u);
}

}  // namespace
