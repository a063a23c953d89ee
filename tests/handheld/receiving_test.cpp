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
