// The waits of the mode-1 block exchange, measured on the virtual clock
// against a scripted handheld that answers with the handheld's own frames:
// how often ENQ goes out while nobody answers, how long the sender waits for
// the ACK of its data frame, and how long the receiver waits for the data
// frame after its SYN.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "handheld/frames.h"
#include "link/com_line.h"
#include "support/code_of.h"
#include "support/sim_fixture.h"
#include "tessalink.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kEnq = 0x05, kAck = 0x06, kSyn = 0x16;
constexpr uint8_t kSync = 0x96, kKindData = 0x81, kKindControl = 0x82;

// A frame header the PC wrote: when, its kind, and for a control frame its code.
struct SentFrame {
    uint32_t time;
    uint8_t kind;
    uint8_t code;
};

// The frames the PC wrote, found by their "0x00 0x96 kind" headers (the
// tests send no data that looks like one).
std::vector<SentFrame> FramesFromPc(const SimLine &line)
{
    const std::vector<SimByte> &sent = line.FromPc();
    std::vector<SentFrame> frames;
    for (size_t i = 1; i + 2 < sent.size(); ++i) {
        if (sent[i - 1].value != 0 || sent[i].value != kSync)
            continue;
        const uint8_t kind = sent[i + 1].value;
        if (kind == kKindData || kind == kKindControl)
            frames.push_back({sent[i].time, kind, sent[i + 2].value});
    }
    return frames;
}

std::vector<uint32_t> TimesOfControl(const SimLine &line, uint8_t code)
{
    std::vector<uint32_t> times;
    for (const SentFrame &f : FramesFromPc(line))
        if (f.kind == kKindControl && f.code == code)
            times.push_back(f.time);
    return times;
}

// Answers the PC's control frames as the test scripts it, each answer going
// out a given time after the PC's frame; everything else goes unanswered.
class ScriptedHandheld : public SimPeer {
public:
    void Answer(uint8_t code, Bytes reply, uint32_t delayMs) { m_answers[code] = {reply, delayMs}; }

    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        // The PC writes each control frame in one piece.
        if (size != 8 || data[5] != kSync || data[6] != kKindControl)
            return;
        auto it = m_answers.find(data[7]);
        if (it != m_answers.end())
            line.SendToPc(it->second.bytes.data(), it->second.bytes.size(), now + it->second.delayMs);
    }

private:
    struct Reply {
        Bytes bytes;
        uint32_t delayMs;
    };
    std::map<uint8_t, Reply> m_answers;
};

class BlockWaits : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        port.SetMode(1);
        port.SetPort(1, kPort);
        ASSERT_EQ(port.Connect(), 1);  // the probe goes unanswered
        line.AttachPeer(&scripted);
    }
    void TearDown() override
    {
        port.Disconnect(0);
        SimFixture::TearDown();
    }

    ScriptedHandheld scripted;
    CComLine port;
    uint8_t buffer[64] = {};
};

TEST_F(BlockWaits, EnqIsRepeatedAfterEach500MsWithoutAnswer)
{
    EXPECT_EQ(CodeOf([&] { port.SendByte(0x41); }), KIVO_ERR_BLOCK_SEND);
    const std::vector<uint32_t> enqs = TimesOfControl(line, kEnq);
    // Six minutes and twice ten seconds of ENQs, the attempts one after another.
    ASSERT_GE(enqs.size(), 750u);
    for (size_t i = 1; i < enqs.size(); ++i) {
        ASSERT_GE(enqs[i] - enqs[i - 1], 500u) << "ENQ " << i;
        ASSERT_LE(enqs[i] - enqs[i - 1], 505u) << "ENQ " << i;
    }
}

TEST_F(BlockWaits, TheAckOfADataFrameIsAwaitedOneSecond)
{
    scripted.Answer(kEnq, handheld::BuildControlFrame(kSyn), 1);  // SYN at once, then never an ACK
    EXPECT_EQ(CodeOf([&] { port.SendByte(0x41); }), KIVO_ERR_BLOCK_SEND);
    const std::vector<SentFrame> frames = FramesFromPc(line);
    ASSERT_EQ(frames.size(), 6u) << "ENQ and data frame, three times";
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].kind, i % 2 == 0 ? kKindControl : kKindData) << "frame " << i;
    // Each unanswered data frame is given up one second after it went out:
    // the next attempt's ENQ follows, or the failure.
    const uint32_t ends[] = {frames[2].time, frames[4].time, sim.Now()};
    for (size_t i = 0; i < 3; ++i) {
        const uint32_t waited = ends[i] - frames[2 * i + 1].time;
        EXPECT_GE(waited, 1000u) << "attempt " << i;
        EXPECT_LE(waited, 1005u) << "attempt " << i;
    }
}

TEST_F(BlockWaits, TheDataFrameIsAwaited500MsAfterSyn)
{
    struct Case {
        uint32_t delayMs;  // from SYN to the data frame
        bool taken;
    };
    for (const Case &c : {Case{480, true}, Case{530, false}}) {
        SCOPED_TRACE("data frame " + std::to_string(c.delayMs) + " ms after SYN");
        SimLine fresh;
        sim.AttachPort(7, &fresh);
        ScriptedHandheld peer;
        fresh.AttachPeer(&peer);
        peer.Answer(kSyn, handheld::BuildDataFrame({1, 2, 3}, 0xFFFF), c.delayMs);
        CComLine receiver;
        receiver.SetMode(1);
        ASSERT_EQ(receiver.Open(7, &receiver.LineStateOf(1)), 1);
        const Bytes enq = handheld::BuildControlFrame(kEnq);
        fresh.SendToPc(enq.data(), enq.size(), sim.Now());
        if (c.taken) {
            EXPECT_EQ(receiver.Receive(buffer, sizeof buffer, 0), 3);
            EXPECT_EQ(TimesOfControl(fresh, kAck).size(), 1u);
        } else {
            // A frame come too late is skipped; no second ENQ comes.
            EXPECT_EQ(CodeOf([&] { receiver.Receive(buffer, sizeof buffer, 0); }),
                      KIVO_ERR_BLOCK_RECV);
            EXPECT_TRUE(TimesOfControl(fresh, kAck).empty());
        }
        EXPECT_EQ(TimesOfControl(fresh, kSyn).size(), 1u);
        receiver.Close(0);
    }
}

}  // namespace
