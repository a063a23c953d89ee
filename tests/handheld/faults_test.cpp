// Each fault hook of the handheld's protocol side, on the line: the bytes it
// answers instead of the sound ones, and whether the conversation survives.
#include <gtest/gtest.h>

#include <functional>

#include "launcher/case_name.h"
#include "pc_script.h"

namespace {

using namespace pc;
using handheld::ProtocolFaults;

const Bytes kDok = Text("DOK");

Bytes Damaged(Bytes packet, size_t offset)
{
    packet[offset] = static_cast<uint8_t>(packet[offset] ^ 0x01);
    return packet;
}

// The release: the shortest whole conversation.
const Script kRelease = Then(CommandTurn("LE"), HandheldTurn({kDok}));

Script PutStart(const std::string &request)
{
    return Then(Then(CommandTurn("FD"), HandheldTurn({kDok})),
                {{Packet(1, Request("RFD" + request)), {kAck}}});
}

struct FaultCase {
    const char *name;
    std::vector<int> modes;
    std::function<void(ProtocolFaults &)> set;
    Script script;
    unsigned finished;  // conversations the handheld saw through
};

const std::vector<int> kAllModes = {0, 1, 2};
const std::vector<int> kRawModes = {0, 2};

std::vector<FaultCase> Cases()
{
    return {
        {"NakOnce", kAllModes, [](ProtocolFaults &f) { f.nakReceived = 1; },
         Then({{Packet(1, Text("CLE")), {kNak}}}, kRelease), 1},
        {"NakThreeTimesThenAFreshStart", kAllModes, [](ProtocolFaults &f) { f.nakReceived = 3; },
         Then({{Packet(1, Text("CLE")), {kNak}},
               {Packet(1, Text("CLE")), {kNak}},
               {Packet(1, Text("CLE")), {kNak}}},
              kRelease),
         1},
        {"CancelInsteadOfAck", kAllModes, [](ProtocolFaults &f) { f.cancelInsteadOfAck = true; },
         {{Packet(1, Text("CLE")), {kCan}}, {{kEot}, {}}}, 0},
        {"CancelInsteadOfEotAck", kAllModes,
         [](ProtocolFaults &f) { f.cancelInsteadOfEotAck = true; },
         {{Packet(1, Text("CLE")), {kAck}}, {{kEot}, {kCan}}, {{kEnq}, {}}}, 0},
        {"CancelInsteadOfEnq", kAllModes, [](ProtocolFaults &f) { f.cancelInsteadOfEnq = true; },
         Then(CommandTurn("LE"),
              {{{kEnq}, Packet(1, kDok)}, {{kAck}, {kEot}}, {{kAck}, {kCan}}}),
         0},
        {"CancelOnceThenThePacket", kRawModes,
         [](ProtocolFaults &f) { f.cancelsBeforePacket = 1; },
         Then(Then(CommandTurn("LE"), {{{kEnq}, {kCan}}}), HandheldTurn({kDok})), 1},
        {"CancelTwice", kRawModes, [](ProtocolFaults &f) { f.cancelsBeforePacket = 2; },
         Then(CommandTurn("LE"), {{{kEnq}, {kCan}}, {{kEnq}, {kCan}}, {{kAck}, {}}}), 0},
        // Mode 1: the PC reads the CAN as the packet and does not answer it.
        {"CancelOnceInModeOne", {1}, [](ProtocolFaults &f) { f.cancelsBeforePacket = 1; },
         Then(CommandTurn("LE"), {{{kEnq}, {kCan, kEot}}, {{kAck}, {kEnq}}}), 0},
        // The packet that the CAN replaced keeps its number: the next is 2.
        {"CancelOnceInModeOneThenTheNextPacket", {1},
         [](ProtocolFaults &f) {
             f.cancelsBeforePacket = 1;
             f.twoAnswers = true;
         },
         Then(CommandTurn("LE"),
              {{{kEnq}, Join({kCan}, Packet(2, kDok))}, {{kAck}, {kEot}}, {{kAck}, {kEnq}}}),
         0},
        {"CancelTwiceInModeOne", {1}, [](ProtocolFaults &f) { f.cancelsBeforePacket = 2; },
         Then(CommandTurn("LE"), {{{kEnq}, {kCan, kCan}}, {{kAck}, {}}}), 0},
        {"AnswerWithoutDok", kAllModes, [](ProtocolFaults &f) { f.answerWithoutDok = true; },
         Then(CommandTurn("LE"), HandheldTurn({Text("DNG")})), 0},
        {"TwoAnswers", kAllModes, [](ProtocolFaults &f) { f.twoAnswers = true; },
         Then(CommandTurn("LE"), HandheldTurn({kDok, kDok})), 1},
        {"BadComplementOnce", kAllModes, [](ProtocolFaults &f) { f.badComplement = 1; },
         Then(CommandTurn("LE"), {{{kEnq}, Damaged(Packet(1, kDok), 2)},
                                  {{kNak}, Packet(1, kDok)},
                                  {{kAck}, {kEot}},
                                  {{kAck}, {kEnq}}}),
         1},
        {"WrongSequenceOnce", kAllModes, [](ProtocolFaults &f) { f.wrongSequence = 1; },
         Then(CommandTurn("LE"), {{{kEnq}, Packet(2, kDok)},
                                  {{kNak}, Packet(1, kDok)},
                                  {{kAck}, {kEot}},
                                  {{kAck}, {kEnq}}}),
         1},
        {"BadChecksumThreeTimes", kAllModes, [](ProtocolFaults &f) { f.badChecksum = 3; },
         Then(CommandTurn("LE"), {{{kEnq}, Damaged(Packet(1, kDok), 8)},
                                  {{kNak}, Damaged(Packet(1, kDok), 8)},
                                  {{kNak}, Damaged(Packet(1, kDok), 8)},
                                  {{kNak}, {}}}),
         0},
        {"RepeatPacket", kAllModes, [](ProtocolFaults &f) { f.repeatPacket = true; },
         Then(CommandTurn("LE"), {{{kEnq}, Packet(1, kDok)},
                                  {{kAck}, Packet(1, kDok)},
                                  {{kAck}, {kEot}},
                                  {{kAck}, {kEnq}}}),
         1},
        // The PC takes the repeat for the next packet and refuses it: the
        // handheld goes on with its turn.
        {"RepeatPacketRefused", kAllModes, [](ProtocolFaults &f) { f.repeatPacket = true; },
         Then(CommandTurn("LE"), {{{kEnq}, Packet(1, kDok)},
                                  {{kAck}, Packet(1, kDok)},
                                  {{kNak}, {kEot}},
                                  {{kAck}, {kEnq}}}),
         1},
        {"FallsSilent", kAllModes, [](ProtocolFaults &f) { f.silentAfter = 1; },
         {{Packet(1, Text("CLE")), {kAck}}, {{kEot}, {}}, {{kEnq}, {}}}, 0},
        {"WrongReplyCode", kAllModes, [](ProtocolFaults &f) { f.wrongReplyCode = true; },
         Then(Then(Then(CommandTurn("FF"), HandheldTurn({kDok})),
                   {{Packet(1, Request("RFF")), {kAck}}, {{kEot}, {kAck}}}),
              HandheldTurn({Text("DFUA\t1\r\n")})),
         1},
        {"ShortReply", kAllModes, [](ProtocolFaults &f) { f.shortReply = true; },
         Then(Then(Then(CommandTurn("FU"), HandheldTurn({kDok})),
                   {{Packet(1, Request("RFUA")), {kAck}}, {{kEot}, {kAck}}}),
              HandheldTurn({Text("DF"), Text("DFUa")})),
         1},
        {"AnswerWithoutAex", kAllModes, [](ProtocolFaults &f) { f.answerWithoutAex = true; },
         Then(Then(PutStart("B"), {{{kEot}, {kAck}}}), HandheldTurn({Text("DNG")})), 0},
    };
}

void PrintTo(const FaultCase &c, std::ostream *out)
{
    *out << c.name;
}

class HandheldFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(HandheldFaults, OnTheLine)
{
    const FaultCase &c = GetParam();
    for (int mode : c.modes) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        Line line(mode);
        line.store.files["A"] = Text("a");
        c.set(line.protocol.Faults());
        ASSERT_NO_FATAL_FAILURE(line.Run(c.script));
        EXPECT_EQ(line.protocol.ConversationsFinished(), c.finished);
        // A fault that ended the conversation leaves the handheld ready for
        // the next; a silent one leaves it where it fell silent.
        if (c.finished == 0 && !line.protocol.Faults().silentAfter) {
            EXPECT_TRUE(line.protocol.AwaitingCommand());
            EXPECT_TRUE(line.side.Cts());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Each, HandheldFaults, ::testing::ValuesIn(Cases()),
                         CaseName());

// A put answered "DNG" on purpose still keeps the file: the fault is in the
// answer only.
TEST(HandheldFaultsOnPuts, AnswerWithoutAexKeepsTheFile)
{
    Line line(0);
    line.protocol.Faults().answerWithoutAex = true;
    line.Run(Then(Then(Then(PutStart("B"), {{Packet(2, Text("RFDxy")), {kAck}}}),
                       {{{kEot}, {kAck}}}),
                  HandheldTurn({Text("DNG")})));
    EXPECT_EQ(line.store.files.at("B"), Text("xy"));
}

// A refused chunk is collected again from its first byte.
TEST(HandheldFaultsOnPuts, NakOfAChunk)
{
    for (int mode : kAllModes) {
        SCOPED_TRACE(mode);
        Line line(mode);
        Script script = Then(CommandTurn("DL"), HandheldTurn({kDok}));
        script.push_back({Packet(1, Request("RDLC|6")), {kAck}});
        line.Run(script);
        line.protocol.Faults().nakReceived = 1;
        line.Run({{Text("abcdef"), {kNak}}, {Text("abcdef"), {kAck}}, {{kEot}, {kAck}}});
        line.Run(HandheldTurn({Text("AEX")}));
        EXPECT_EQ(line.store.files.at("C"), Text("abcdef"));
    }
}

// A CAN in place of a packet is allowed once per turn of the handheld.
TEST(HandheldFaultsOnTurns, OneCancelInEachTurn)
{
    for (int mode : kRawModes) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.store.files["A"] = Text("a");
        line.protocol.Faults().cancelsBeforePacket = 1;
        line.Run(Then(Then(CommandTurn("FU"), {{{kEnq}, {kCan}}}), HandheldTurn({kDok})));
        line.protocol.Faults().cancelsBeforePacket = 1;
        line.Run({{Packet(1, Request("RFUA")), {kAck}}, {{kEot}, {kAck}}, {{kEnq}, {kCan}}});
        line.Run(HandheldTurn({Text("DFUa")}));
        EXPECT_EQ(line.protocol.ConversationsFinished(), 1u);
    }
}

// The PC may refuse each packet twice: every packet has three sendings.
TEST(HandheldFaultsOnTurns, ThreeSendingsForEachPacket)
{
    Line line(0);
    line.protocol.SetReplySize(4);
    line.store.files["A"] = Text("ab");
    line.Run(Then(CommandTurn("FU"), HandheldTurn({kDok})));
    line.Run({{Packet(1, Request("RFUA")), {kAck}}, {{kEot}, {kAck}}});
    const Bytes first = Packet(1, Text("DFUa")), second = Packet(2, Text("DFUb"));
    line.Run({{{kEnq}, first}, {{kNak}, first}, {{kNak}, first},
              {{kAck}, second}, {{kNak}, second}, {{kNak}, second},
              {{kAck}, {kEot}}, {{kAck}, {kEnq}}});
    EXPECT_EQ(line.protocol.ConversationsFinished(), 1u);
}

}  // namespace
