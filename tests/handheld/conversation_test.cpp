// Whole conversations of every operation against the handheld's protocol
// side, in all three modes, with the PC's writes arriving whole, byte by byte
// or cut into odd pieces: every byte the handheld answers is checked, and
// so is its store afterwards.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "pc_script.h"

namespace {

using namespace pc;

const Bytes kDok = Text("DOK");
const Bytes kAex = Text("AEX");
const Bytes kDng = Text("DNG");

Bytes Reply(const std::string &code, const Bytes &piece)
{
    return Join(Text("D" + code), piece);
}

Bytes Slice(const Bytes &bytes, size_t at, size_t n)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
}

const Bytes kLong = Pattern(516, 3);
const Bytes kPut = Pattern(600, 7);
const Bytes kPutBig = Pattern(10000, 9);

using Files = std::map<std::string, Bytes>;
const Files kStartFiles = {{"A", Text("abc")}, {"LONG", kLong}, {"EMPTY", {}}};

struct OperationCase {
    const char *name;
    std::string code;
    std::optional<std::string> request;  // without its zero; none for "LE"
    std::vector<Bytes> pcPackets;        // numbered from 2
    std::vector<Bytes> chunks;           // unframed
    std::optional<std::vector<Bytes>> answers;  // the handheld's turn, if it has one
    bool finishes;
    Files filesAfter;
};

Files With(Files files, const std::string &name, const std::optional<Bytes> &bytes)
{
    if (bytes)
        files[name] = *bytes;
    else
        files.erase(name);
    return files;
}

std::vector<Bytes> PutPackets(const Bytes &file, size_t block)
{
    std::vector<Bytes> packets;
    for (size_t at = 0; at < file.size(); at += block - 3)
        packets.push_back(Join(Text("RFD"), Slice(file, at, std::min(block - 3, file.size() - at))));
    return packets;
}

const OperationCase kOperations[] = {
    {"ListAll", "FF", "", {}, {}, std::vector<Bytes>{Reply("FF", Text("A\t3\r\nEMPTY\t0\r\nLONG\t516\r\n"))}, true, kStartFiles},
    {"ListPattern", "FF", "L*G", {}, {}, std::vector<Bytes>{Reply("FF", Text("LONG\t516\r\n"))}, true, kStartFiles},
    {"ListNothing", "FF", "Z*", {}, {}, std::vector<Bytes>{}, true, kStartFiles},
    {"Get516", "FU", "LONG", {}, {},
     std::vector<Bytes>{Reply("FU", Slice(kLong, 0, 253)), Reply("FU", Slice(kLong, 253, 253)),
                        Reply("FU", Slice(kLong, 506, 10))},
     true, kStartFiles},
    {"GetEmpty", "FU", "EMPTY", {}, {}, std::vector<Bytes>{}, true, kStartFiles},
    {"GetMissing", "FU", "NONE", {}, {}, std::vector<Bytes>{kDng}, false, kStartFiles},
    {"Put600", "FD", "NEW", PutPackets(kPut, 256), {}, std::vector<Bytes>{kAex}, true,
     With(kStartFiles, "NEW", kPut)},
    {"PutOverFramesOf512", "FD", "NEW", PutPackets(kPut, 600), {}, std::vector<Bytes>{kAex}, true,
     With(kStartFiles, "NEW", kPut)},
    {"PutEmptyReplaces", "FD", "A", {}, {}, std::vector<Bytes>{kAex}, true,
     With(kStartFiles, "A", Bytes{})},
    {"PutInChunks", "DL", "BIG|10000", {},
     {Slice(kPutBig, 0, 4096), Slice(kPutBig, 4096, 4096), Slice(kPutBig, 8192, 1808)},
     std::vector<Bytes>{kAex}, true, With(kStartFiles, "BIG", kPutBig)},
    {"PutInChunksNameWithBar", "DL", "X|Y|3", {}, {Text("xyz")}, std::vector<Bytes>{kAex}, true,
     With(kStartFiles, "X|Y", Text("xyz"))},
    {"PutInChunksEmpty", "DL", "Z|0", {}, {}, std::vector<Bytes>{kAex}, true,
     With(kStartFiles, "Z", Bytes{})},
    {"Delete", "FC", "A", {}, {}, std::nullopt, true, With(kStartFiles, "A", std::nullopt)},
    {"DeleteMissing", "FC", "NONE", {}, {}, std::nullopt, true, kStartFiles},
    {"Release", "LE", std::nullopt, {}, {}, std::nullopt, true, kStartFiles},
};

Script ScriptOf(const OperationCase &c)
{
    Script script = CommandTurn(c.code);
    script += HandheldTurn({kDok});
    if (!c.request)
        return script;
    script.push_back({Packet(1, Request("R" + c.code + *c.request)), {kAck}});
    uint8_t sequence = 2;
    for (const Bytes &data : c.pcPackets)
        script.push_back({Packet(sequence++, data), {kAck}});
    for (const Bytes &chunk : c.chunks)
        script.push_back({chunk, {kAck}});
    script.push_back({{kEot}, {kAck}});
    if (c.answers)
        script += HandheldTurn(*c.answers);
    else
        script.push_back({{kEnq}, {}});
    return script;
}

struct Way {
    const char *name;
    int mode;
    size_t piece;
};

const Way kWays[] = {{"Mode0", 0, 0}, {"Mode0ByteByByte", 0, 1}, {"Mode2", 2, 0},
                     {"Mode2InFives", 2, 5}, {"Mode1", 1, 0}};

class HandheldOperations : public ::testing::TestWithParam<std::tuple<OperationCase, Way>> {};

TEST_P(HandheldOperations, RunToTheEnd)
{
    const OperationCase &c = std::get<0>(GetParam());
    const Way &way = std::get<1>(GetParam());
    Line line(way.mode, way.piece);
    line.store.files = kStartFiles;
    ASSERT_NO_FATAL_FAILURE(line.Run(ScriptOf(c)));

    EXPECT_EQ(line.store.files, c.filesAfter);
    EXPECT_TRUE(line.protocol.AwaitingCommand());
    EXPECT_EQ(line.protocol.ConversationsFinished(), c.finishes ? 1u : 0u);
    EXPECT_EQ(line.protocol.Releases(), c.code == "LE" ? 1u : 0u);
    // Only a successful conversation lets go of CTS, and only in mode 2.
    EXPECT_EQ(line.side.Cts(), !(way.mode == 2 && c.finishes));
    // The driver hears of it once, and of nothing else.
    std::optional<handheld::ProtocolEvent> event = line.protocol.NextEvent();
    if (c.finishes) {
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->kind, handheld::ProtocolEvent::Kind::kConversationFinished);
        EXPECT_EQ(event->operation, handheld::OperationOf(c.code));
        event = line.protocol.NextEvent();
    }
    EXPECT_FALSE(event.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    All, HandheldOperations, ::testing::Combine(::testing::ValuesIn(kOperations), ::testing::ValuesIn(kWays)),
    [](const ::testing::TestParamInfo<std::tuple<OperationCase, Way>> &p) {
        return std::string(std::get<0>(p.param).name) + "_" + std::get<1>(p.param).name;
    });

TEST(HandheldConversation, CommandExchangeByteForByte)
{
    Line line(0);
    EXPECT_EQ(line.Write({0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x46, 0x46, 0xCF, 0x00}), Bytes{0x06});
    EXPECT_EQ(line.Write({0x04}), Bytes{0x06});
    EXPECT_EQ(line.Write({0x05}), (Bytes{0x01, 0x01, 0xFE, 0x03, 0x00, 'D', 'O', 'K', 0xDE, 0x00}));
    EXPECT_EQ(line.Write({0x06}), Bytes{0x04});
    EXPECT_EQ(line.Write({0x06}), Bytes{0x05});
    EXPECT_EQ(line.Write({0x01, 0x01, 0xFE, 0x04, 0x00, 0x52, 0x46, 0x46, 0x00, 0xDE, 0x00}),
              Bytes{0x06});
}

TEST(HandheldConversation, UnknownCommandIsRefused)
{
    for (int mode : {0, 1, 2}) {
        Line line(mode);
        Script script = CommandTurn("XY");
        script += HandheldTurn({kDng});
        line.Run(script);
        EXPECT_TRUE(line.protocol.AwaitingCommand());
        EXPECT_TRUE(line.side.Cts());
    }
}

// A put followed by a release on the same connection, as the plain put
// exports do, and a second conversation after the first.
TEST(HandheldConversation, PutThenReleaseOnOneConnection)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        Script script = ScriptOf(kOperations[6]);
        script += ScriptOf(kOperations[14]);
        line.Run(script);
        EXPECT_EQ(line.store.files.at("NEW"), kPut);
        EXPECT_EQ(line.protocol.ConversationsFinished(), 2u);
        EXPECT_EQ(line.protocol.Releases(), 1u);
    }
}

// Over 255 packets the numbers wrap: 2..255, then 0, 1, 2...
TEST(HandheldConversation, PutNumbersWrapPast255)
{
    const Bytes file = Pattern(300);
    Line line(0);
    Script script = CommandTurn("FD");
    script += HandheldTurn({kDok});
    script.push_back({Packet(1, Request("RFDW")), {kAck}});
    uint8_t sequence = 2;
    for (uint8_t b : file)
        script.push_back({Packet(sequence++, {'R', 'F', 'D', b}), {kAck}});
    script.push_back({{kEot}, {kAck}});
    script += HandheldTurn({kAex});
    line.Run(script);
    EXPECT_EQ(line.store.files.at("W"), file);
}

TEST(HandheldConversation, RepliesWrapPast255)
{
    Line line(0);
    line.protocol.SetReplySize(4);
    line.store.files["F"] = Pattern(300);
    Script script = CommandTurn("FU");
    script += HandheldTurn({kDok});
    script.push_back({Packet(1, Request("RFUF")), {kAck}});
    script.push_back({{kEot}, {kAck}});
    std::vector<Bytes> replies;
    for (uint8_t b : Pattern(300))
        replies.push_back(Reply("FU", {b}));
    script += HandheldTurn(replies);  // numbered 1..255, 0, 1..44
    line.Run(script);
    EXPECT_EQ(line.protocol.ConversationsFinished(), 1u);
}

TEST(HandheldConversation, ChunkSizeFollowsTheSetting)
{
    Line line(2);
    line.protocol.SetChunkSize(256);
    Script script = CommandTurn("DL");
    script += HandheldTurn({kDok});
    script.push_back({Packet(1, Request("RDLC|600")), {kAck}});
    script.push_back({Pattern(256), {kAck}});
    script.push_back({Pattern(256, 1), {kAck}});
    script.push_back({Pattern(88, 2), {kAck}});
    script.push_back({{kEot}, {kAck}});
    script += HandheldTurn({kAex});
    line.Run(script);
    EXPECT_EQ(line.store.files.at("C"), Join(Join(Pattern(256), Pattern(256, 1)), Pattern(88, 2)));
}

}  // namespace

namespace {

TEST(HandheldConversation, TraceTellsTheConversation)
{
    Line line(0);
    line.store.files["A"] = Text("abc");
    line.Run(Then(Then(CommandTurn("FF"), HandheldTurn({kDok})),
                  {{Packet(1, Request("RFF*")), {kAck}}, {{kEot}, {kAck}}}));
    const std::vector<std::string> expected = {
        "<- #1 C FF (3 bytes)", "-> ACK", "<- EOT", "-> ACK", "<- ENQ", "-> #1 DOK (3 bytes)",
        "<- ACK", "-> EOT", "<- ACK", "-> ENQ", "<- #1 R FF * (5 bytes)", "-> ACK", "<- EOT",
        "-> ACK"};
    EXPECT_EQ(line.trace, expected);
}

}  // namespace
