// How the handheld takes the PC's packets: damaged ones refused, a repeat
// acknowledged and not used, requests not of their form refused, a packet or
// chunk that stops midway refused after a pause, and a new command starting
// afresh wherever the last conversation was left.
#include <gtest/gtest.h>

#include "launcher/case_name.h"
#include "pc_script.h"

namespace {

using namespace pc;

Script PutStart(const std::string &code, const std::string &request)
{
    return Then(Then(CommandTurn(code), HandheldTurn({Text("DOK")})),
                {{Packet(1, Request("R" + code + request)), {kAck}}});
}

const Bytes kData = Text("RFDxyz");

struct Damage {
    const char *name;
    Bytes packet;
};

const Damage kDamages[] = {
    {"WrongComplement", [] { Bytes p = Packet(2, kData); p[2] = 0x00; return p; }()},
    {"WrongChecksum", [] { Bytes p = Packet(2, kData); p[11] ^= 0x40; return p; }()},
    {"WrongNumber", Packet(3, kData)},
    {"PreviousNumberButNoRepeat", Packet(0, kData)},
};

class HandheldDamagedPackets : public ::testing::TestWithParam<Damage> {};

TEST_P(HandheldDamagedPackets, AreRefusedAndTheSoundOneTaken)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.Run(Then(PutStart("FD", "P"), {{GetParam().packet, {kNak}},
                                            {GetParam().packet, {kNak}},
                                            {Packet(2, kData), {kAck}},
                                            {{kEot}, {kAck}}}));
        line.Run(HandheldTurn({Text("AEX")}));
        EXPECT_EQ(line.store.files.at("P"), Text("xyz"));
    }
}

TEST_P(HandheldDamagedPackets, ThreeInARowEndTheConversation)
{
    Line line(0);
    line.Run(Then(PutStart("FD", "P"), {{GetParam().packet, {kNak}},
                                        {GetParam().packet, {kNak}},
                                        {GetParam().packet, {kNak}},
                                        // The PC has given up: nothing of it is taken.
                                        {Packet(2, kData), {kNak}},
                                        {{kEot}, {}}}));
    EXPECT_TRUE(line.protocol.AwaitingCommand());
    EXPECT_TRUE(line.store.files.empty());
}

INSTANTIATE_TEST_SUITE_P(Each, HandheldDamagedPackets, ::testing::ValuesIn(kDamages),
                         CaseName());

TEST(HandheldReceiving, RepeatIsAcknowledgedAndNotUsed)
{
    Line line(2);
    line.Run(Then(PutStart("FD", "P"), {{Packet(2, Text("RFDab")), {kAck}},
                                        {Packet(2, Text("RFDab")), {kAck}},
                                        {Packet(3, Text("RFDcd")), {kAck}},
                                        {{kEot}, {kAck}}}));
    line.Run(HandheldTurn({Text("AEX")}));
    EXPECT_EQ(line.store.files.at("P"), Text("abcd"));
}

struct Malformed {
    const char *name;
    std::string code;
    Bytes request;
};

const Malformed kMalformed[] = {
    {"NoZero", "FU", Text("RFUA")},
    {"OtherCode", "FU", Request("RFFA")},
    {"TooShort", "FF", Text("RF")},
    {"NoSize", "DL", Request("RDLA")},
    {"SizeNotDigits", "DL", Request("RDLA|12a")},
    {"SizeEmpty", "DL", Request("RDLA|")},
    {"SizeTooLarge", "DL", Request("RDLA|2147483648")},
};

class HandheldMalformedRequests : public ::testing::TestWithParam<Malformed> {};

TEST_P(HandheldMalformedRequests, AreRefused)
{
    const Malformed &c = GetParam();
    Line line(0);
    line.Run(Then(Then(CommandTurn(c.code), HandheldTurn({Text("DOK")})),
                  {{Packet(1, c.request), {kNak}}, {Packet(1, c.request), {kNak}}}));
    EXPECT_FALSE(line.protocol.AwaitingCommand());
    line.Run({{Packet(1, c.request), {kNak}}});
    EXPECT_TRUE(line.protocol.AwaitingCommand());
}

INSTANTIATE_TEST_SUITE_P(Each, HandheldMalformedRequests, ::testing::ValuesIn(kMalformed),
                         CaseName());

TEST(HandheldReceiving, PutDataWithoutItsPrefixIsRefused)
{
    Line line(0);
    line.Run(Then(PutStart("FD", "P"), {{Packet(2, Text("XYZab")), {kNak}},
                                        {Packet(2, Text("RFDab")), {kAck}}}));
}

// A length field that promises more than comes (damage on the line) must not
// hold the handheld, nor the PC that waits for its answer.
TEST(HandheldReceiving, PacketBrokenOffIsRefusedAfterAPause)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        const Bytes whole = Packet(1, Text("CLE"));
        EXPECT_EQ(line.Write(Bytes(whole.begin(), whole.begin() + 6)), Bytes{});
        line.Pass(handheld::ProtocolSide::kStallMs - 1);
        EXPECT_EQ(line.Write({}), Bytes{});
        line.Pass(1);
        line.Run({{{}, {kNak}}, {whole, {kAck}}, {{kEot}, {kAck}}});
    }
}

TEST(HandheldReceiving, ChunkBrokenOffIsRefusedAndCollectedAgain)
{
    Line line(0);
    line.Run(PutStart("DL", "C|4"));
    EXPECT_EQ(line.Write(Text("ab")), Bytes{});
    line.Pass(handheld::ProtocolSide::kStallMs);
    line.Run({{{}, {kNak}}, {Text("abcd"), {kAck}}, {{kEot}, {kAck}}});
    line.Run(HandheldTurn({Text("AEX")}));
    EXPECT_EQ(line.store.files.at("C"), Text("abcd"));
}

TEST(HandheldReceiving, ACommandStartsAfreshAnywhere)
{
    Line line(0);
    line.Run(Then(PutStart("FD", "P"), {{Packet(2, Text("RFDab")), {kAck}}}));
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    EXPECT_EQ(line.protocol.Releases(), 1u);
    EXPECT_TRUE(line.store.files.empty());
}

TEST(HandheldReceiving, CancelFromThePcEndsTheConversation)
{
    Line line(0);
    line.Run(Then(PutStart("FD", "P"), {{{kCan}, {}}, {{kEot}, {}}}));
    EXPECT_TRUE(line.protocol.AwaitingCommand());
}

}  // namespace

// Refusals end the conversation only three in a row: each packet or chunk
// taken starts the count again.
namespace {

using namespace pc;

TEST(HandheldRefusals, CountOnlyInARow)
{
    const Bytes bad = [] { Bytes p = Packet(2, Text("RFDab")); p[2] = 0x00; return p; }();
    Line line(0);
    line.Run(Then(PutStart("FD", "P"), {{bad, {kNak}},
                                        {bad, {kNak}},
                                        {Packet(2, Text("RFDab")), {kAck}},
                                        {bad, {kNak}},
                                        {bad, {kNak}},
                                        {Packet(3, Text("RFDcd")), {kAck}},
                                        {bad, {kNak}},
                                        {bad, {kNak}},
                                        {{kEot}, {kAck}}}));
    line.Run(HandheldTurn({Text("AEX")}));
    EXPECT_EQ(line.store.files.at("P"), Text("abcd"));
}

TEST(HandheldRefusals, OfChunksCountOnlyInARow)
{
    Line line(0);
    line.protocol.SetChunkSize(2);
    line.Run(PutStart("DL", "C|4"));
    for (const char *chunk : {"ab", "cd"}) {
        for (int i = 0; i < 2; ++i) {  // one byte of two, then nothing
            EXPECT_EQ(line.Write(Text("x")), Bytes{});
            line.Pass(handheld::ProtocolSide::kStallMs);
            line.Run({{{}, {kNak}}});
        }
        line.Run({{Text(chunk), {kAck}}});
    }
    line.Run({{{kEot}, {kAck}}});
    line.Run(HandheldTurn({Text("AEX")}));
    EXPECT_EQ(line.store.files.at("C"), Text("abcd"));
}

// While no conversation is under way there is none to drop: a damaged
// packet is refused, however many come.
TEST(HandheldRefusals, WithoutAConversationDropNothing)
{
    const Bytes bad = [] { Bytes p = Packet(1, Text("CLE")); p[2] = 0x00; return p; }();
    Line line(0);
    line.Run({{bad, {kNak}}, {bad, {kNak}}, {bad, {kNak}}, {bad, {kNak}}});
    for (const std::string &l : line.trace)
        EXPECT_EQ(l.find("dropped"), std::string::npos) << l;
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
}

// A command begins a conversation only as the PC sends it: numbered 1.
TEST(HandheldReceiving, ACommandNumberedOtherThanOneIsRefused)
{
    for (uint8_t sequence : {uint8_t{0}, uint8_t{2}}) {
        Line line(0);
        line.Run({{Packet(sequence, Text("CLE")), {kNak}}});
        EXPECT_EQ(line.protocol.ConversationsFinished(), 0u);
    }
}

// After the command (number 1), a packet numbered 1 is a repeat: taken with
// ACK and not used.
TEST(HandheldReceiving, RepeatInTheCommandTurn)
{
    Line line(0);
    line.Run({{Packet(1, Text("CLE")), {kAck}}, {Packet(1, Text("XYZ")), {kAck}}, {{kEot}, {kAck}}});
    line.Run(HandheldTurn({Text("DOK")}));
    EXPECT_EQ(line.protocol.Releases(), 1u);
}

// The PC ends no turn before its request: an EOT then is not answered.
TEST(HandheldReceiving, EndOfTurnWithoutTheRequestIsIgnored)
{
    Line line(0);
    line.store.files["A"] = Text("a");
    line.Run(Then(CommandTurn("FU"), HandheldTurn({Text("DOK")})));
    line.Run({{{kEot}, {}}, {Packet(1, Request("RFUA")), {kAck}}, {{kEot}, {kAck}}});
    line.Run(HandheldTurn({Text("DFUa")}));
    EXPECT_EQ(line.protocol.ConversationsFinished(), 1u);
}

// Outside the PC's turn, a packet that breaks off is dropped unanswered:
// the handheld waits for the answer to its own packet.
TEST(HandheldReceiving, BrokenOffOutsideThePcsTurnIsNotRefused)
{
    Line line(0);
    line.Run(Then(CommandTurn("LE"), {{{kEnq}, Packet(1, Text("DOK"))}}));
    EXPECT_EQ(line.Write({0x01, 0x01}), Bytes{});
    line.Pass(handheld::ProtocolSide::kStallMs);
    line.Run({{{}, {}}, {{kAck}, {kEot}}, {{kAck}, {kEnq}}});
    EXPECT_EQ(line.protocol.Releases(), 1u);
}

TEST(HandheldReceiving, PutThatCannotBeStoredIsAnsweredDng)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.Run(Then(PutStart("FD", ""), {{{kEot}, {kAck}}}));  // an empty name
        line.Run(HandheldTurn({Text("DNG")}));
        EXPECT_EQ(line.protocol.ConversationsFinished(), 0u);
        EXPECT_TRUE(line.side.Cts());
        EXPECT_TRUE(line.store.files.empty());
    }
}

}  // namespace
