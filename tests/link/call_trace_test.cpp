// The trace file of the link exports (TESSALINK_TRACE), on the simulated
// platform with the independent handheld at the far end: the lines of a
// conversation in each mode, their order and fields; the packets the same
// as the handheld's own trace shows them; a trace that cannot be written;
// and no trace at all while the variable is unset.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "export_fixture.h"
#include "support/sim_handheld.h"
#include "support/temp_dir.h"
#include "tessalink.h"

namespace {

constexpr const char *kTraceFile = "/trace/link.txt";

struct TraceLine {
    unsigned ms;
    std::string mark;  // "->", "<-", "call", "done"
    std::string text;
};

std::vector<TraceLine> Parsed(const std::string &trace)
{
    std::vector<TraceLine> lines;
    std::istringstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        TraceLine parsed;
        fields >> parsed.ms >> parsed.mark;
        std::getline(fields >> std::ws, parsed.text);
        lines.push_back(parsed);
    }
    return lines;
}

// The lines as "mark text", without their times.
std::vector<std::string> Untimed(const std::vector<TraceLine> &lines)
{
    std::vector<std::string> out;
    for (const TraceLine &line : lines)
        out.push_back(line.mark + " " + line.text);
    return out;
}

// The packet lines of a trace ("-> #1 C FF (3 bytes)"), in mode 1 taken from
// the frame lines that carry them ("-> data unnumbered length 10: #1 ...");
// mirrored, the arrows turned round: the handheld's "<-" is the PC's "->".
std::vector<std::string> PacketLines(const std::vector<std::string> &lines, bool mirrored)
{
    std::vector<std::string> out;
    for (const std::string &line : lines) {
        const std::string mark = line.substr(0, 2);
        if (mark != "->" && mark != "<-")
            continue;
        const size_t inFrame = line.find(": #");
        const size_t at = inFrame != std::string::npos ? inFrame + 2 : 3;
        if (line.compare(at, 1, "#") != 0)
            continue;
        const std::string arrow = !mirrored ? mark : (mark == "->" ? "<-" : "->");
        out.push_back(arrow + " " + line.substr(at));
    }
    return out;
}

class CallTrace : public ExportFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        mode = GetParam();
        handheld = std::make_unique<HandheldOnLine>(mode);
        const auto keep = [this](const std::string &l) { handheldTrace.push_back(l); };
        handheld->protocol.SetTrace(keep);
        line.AttachPeer(&handheld->peer);
        KIVO_SetMode(static_cast<uint16_t>(mode));
        KIVO_SetPort(static_cast<uint16_t>(mode), kPort);
        handheld->store.Write("MEMO.TXT", std::vector<uint8_t>(600, 'm'));
    }

    std::vector<TraceLine> Trace() { return Parsed(sim.Appended(kTraceFile)); }
    int Get()
    {
        return KIVO_LinkGetFile(dir.Path("memo.txt").c_str(), "MEMO.TXT", nullptr);
    }

    int mode = 0;
    std::unique_ptr<HandheldOnLine> handheld;
    std::vector<std::string> handheldTrace;
    TempDir dir;
};

// The release, the shortest conversation: the command "LE" and the answer
// "DOK", each with its turn ended; in mode 1 each in data frames, announced
// and acknowledged with control frames, after the probe.
const std::vector<std::string> kRawRelease = {
    "-> #1 C LE (3 bytes)", "<- ACK", "-> EOT", "<- ACK", "-> ENQ",
    "<- #1 DOK (3 bytes)",  "-> ACK", "<- EOT", "-> ACK", "<- ENQ",
};

std::vector<std::string> FramedRelease()
{
    std::vector<std::string> lines = {"-> probe", "<- 0xF4", "-> switch sequence"};
    // What each side sends, whole in one data frame.
    const struct {
        bool fromPc;
        const char *block;
    } kBlocks[] = {
        {true, "length 10: #1 C LE (3 bytes)"}, {false, "length 1: ACK"},
        {true, "length 1: EOT"},                {false, "length 1: ACK"},
        {true, "length 1: ENQ"},                {false, "length 10: #1 DOK (3 bytes)"},
        {true, "length 1: ACK"},                {false, "length 1: EOT"},
        {true, "length 1: ACK"},                {false, "length 1: ENQ"},
    };
    for (const auto &block : kBlocks) {
        const std::string out = block.fromPc ? "-> " : "<- ";
        const std::string in = block.fromPc ? "<- " : "-> ";
        const std::string number = block.fromPc ? "unnumbered " : "#1 ";
        lines.insert(lines.end(), {out + "ENQ", in + "SYN", out + "data " + number + block.block,
                                   in + "ACK"});
    }
    return lines;
}

TEST_P(CallTrace, ShowsEachPacketFrameAndControlByteInOrder)
{
    sim.SetEnvironment("TESSALINK_TRACE", kTraceFile);
    ASSERT_EQ(KIVO_LinkRelease(nullptr), 0);

    const std::vector<TraceLine> lines = Trace();
    ASSERT_GE(lines.size(), 2u);
    const char *const kBaud[] = {"9600", "9600", "115200"};
    std::vector<std::string> expected = {"call KIVO_LinkRelease: mode " + std::to_string(mode) +
                                         ", COM2, " + kBaud[mode] + " baud"};
    const std::vector<std::string> conversation = mode == 1 ? FramedRelease() : kRawRelease;
    expected.insert(expected.end(), conversation.begin(), conversation.end());
    expected.push_back("done KIVO_LinkRelease: 0");
    EXPECT_EQ(Untimed(lines), expected);

    // Milliseconds since the call began, on the platform's clock.
    EXPECT_EQ(lines.front().ms, 0u);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_LE(lines[i - 1].ms, lines[i].ms) << i;
    // The connection's settling pause comes before the first packet.
    EXPECT_GE(lines[mode == 1 ? 4 : 1].ms, 500u);
}

TEST_P(CallTrace, PacketsReadAsTheHandheldReadsThem)
{
    sim.SetEnvironment("TESSALINK_TRACE", kTraceFile);
    ASSERT_EQ(Get(), 0);
    ASSERT_EQ(KIVO_LinkFileList(dir.Path("list").c_str(), "*", nullptr), 0);

    const std::vector<std::string> pc = PacketLines(Untimed(Trace()), false);
    EXPECT_EQ(pc, PacketLines(handheldTrace, true));
    // Command, request, answer and three replies of 253 file bytes at most,
    // for the get; the same, with one reply, for the list.
    EXPECT_EQ(pc.size(), 6u + 4u);
    EXPECT_NE(std::find(pc.begin(), pc.end(), "-> #1 R FU MEMO.TXT (12 bytes)"), pc.end());
    EXPECT_EQ(Trace().back().text, "KIVO_LinkFileList: 0");
}

TEST_P(CallTrace, TraceThatCannotBeWrittenNeverFailsTheCall)
{
    sim.SetEnvironment("TESSALINK_TRACE", kTraceFile);
    sim.FailAppendWrites(kTraceFile);
    EXPECT_EQ(Get(), 0);
    EXPECT_EQ(sim.Appended(kTraceFile), "");

    sim.RefuseAppendFile(kTraceFile);
    EXPECT_EQ(Get(), 0);
    EXPECT_EQ(TempDir::Read(dir.Path("memo.txt")), std::vector<uint8_t>(600, 'm'));
    EXPECT_EQ(sim.AppendFileOpens(), 2u);
}

TEST_P(CallTrace, ReadAtEachCallAndNothingWhileUnset)
{
    EXPECT_EQ(Get(), 0);
    sim.SetEnvironment("TESSALINK_TRACE", "");
    EXPECT_EQ(Get(), 0);
    EXPECT_EQ(sim.AppendFileOpens(), 0u);

    sim.SetEnvironment("TESSALINK_TRACE", kTraceFile);
    EXPECT_EQ(KIVO_LinkDelFile("NONE", nullptr), 0);
    sim.SetEnvironment("TESSALINK_TRACE", "/trace/other.txt");
    EXPECT_EQ(KIVO_LinkRelease(nullptr), 0);
    sim.UnsetEnvironment("TESSALINK_TRACE");
    EXPECT_EQ(Get(), 0);

    EXPECT_EQ(sim.AppendFileOpens(), 2u);
    EXPECT_EQ(Trace().front().text.rfind("KIVO_LinkDelFile:", 0), 0u);
    EXPECT_EQ(Trace().back().text, "KIVO_LinkDelFile: 0");
    const std::vector<TraceLine> other = Parsed(sim.Appended("/trace/other.txt"));
    ASSERT_FALSE(other.empty());
    EXPECT_EQ(other.back().text, "KIVO_LinkRelease: 0");
}

TEST_P(CallTrace, RefusedCallsToo)
{
    sim.SetEnvironment("TESSALINK_TRACE", kTraceFile);
    EXPECT_EQ(KIVO_LinkGetFile(dir.Path("x").c_str(), nullptr, nullptr), KIVO_ERR_NO_CONNECTION);
    KIVO_SetPort(static_cast<uint16_t>(mode), 7);  // no such port
    EXPECT_EQ(Get(), KIVO_ERR_NO_CONNECTION);
    const std::string port = "mode " + std::to_string(mode) + ", COM";
    const std::vector<std::string> lines = Untimed(Trace());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("call KIVO_LinkGetFile: " + port + "2,", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "done KIVO_LinkGetFile: -999");
    EXPECT_EQ(lines[2].rfind("call KIVO_LinkGetFile: " + port + "7,", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3], "done KIVO_LinkGetFile: -999");
}

INSTANTIATE_TEST_SUITE_P(AllModes, CallTrace, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int> &p) {
                             return "Mode" + std::to_string(p.param);
                         });

}  // namespace
