// A handheld that never stops sending (noise, zeros, frames of the wrong
// kind, stray acknowledgements, replies without end) cannot keep a wait of
// the link going for ever, even without a window: each wait ends within its
// bound, on the virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "handheld/frames.h"
#include "link/block_constants.h"
#include "link/com_line.h"
#include "link/waits.h"
#include "link_seams.h"
#include "packet_wire.h"
#include "raw_link.h"
#include "support/code_of.h"
#include "support/memory_link_file.h"
#include "support/sim_fixture.h"
#include "tessalink.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Sends the same unit once every millisecond, for ever.
class Babbler : public SimPeer {
public:
    explicit Babbler(Bytes unit) : m_unit(std::move(unit)) {}
    void Start(SimLine &line, uint32_t now)
    {
        m_next = now;
        OnTime(line, now);
    }
    void OnTime(SimLine &line, uint32_t now) override
    {
        while (static_cast<int32_t>(m_next - (now + 4)) <= 0) {
            line.SendToPc(m_unit.data(), m_unit.size(), m_next);
            ++m_next;
        }
    }

private:
    Bytes m_unit;
    uint32_t m_next = 0;
};

class BabblingFrames : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        port.SetMode(1);
        port.SetPort(1, kPort);
        ASSERT_EQ(port.Connect(), 1);  // the probe goes unanswered
    }
    void TearDown() override
    {
        line.AttachPeer(nullptr);
        port.Disconnect(0);
        SimFixture::TearDown();
    }

    ComLineSeam port;
};

TEST_F(BabblingFrames, EveryWaitForAFrameEndsWithinItsBound)
{
    constexpr uint32_t kWait = kEnqRepeatMs;
    struct Case {
        const char *name;
        Bytes unit;
        std::function<int(ComLineSeam &, uint8_t *)> wait;
        int nothing;            // what the wait gives when it ends empty-handed
        uint32_t boundMs;       // at most this long
    };
    auto control = [](ComLineSeam &p, uint8_t *) { return static_cast<int>(p.ReceiveControl(kWait)); };
    auto data = [](ComLineSeam &p, uint8_t *buffer) {
        return static_cast<int>(p.ReceiveDataFrame(buffer, 600, kWait));
    };
    auto enq = [](ComLineSeam &p, uint8_t *) {
        return p.SendControl(kEnq, 2000, kEnqRepeatMs, kSyn);
    };
    const Case cases[] = {
        {"noise, awaiting a control frame", Bytes{0x55}, control, kNoControl, kWait + 5},
        {"noise, awaiting a data frame", Bytes{0x96, 0x81}, data, kNoControl, kWait + 5},
        {"zeros without end", Bytes{0x00}, control, kNoControl, kWait + kHuntOverrunMs + 5},
        {"data frames, awaiting a control frame", handheld::BuildDataFrame(Bytes(8, 0x41), 1),
         control, kNoControl, kWait + kHuntOverrunMs + 5},
        {"control frames, awaiting a data frame", handheld::BuildControlFrame(kAck), data,
         kNoControl, kWait + kHuntOverrunMs + 5},
        {"stray ACKs, awaiting SYN after ENQ", handheld::BuildControlFrame(kAck), enq, 0,
         2000 + kEnqRepeatMs + 5},
    };
    uint8_t buffer[600];
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Babbler babbler(c.unit);
        line.AttachPeer(&babbler);
        babbler.Start(line, sim.Now());
        const uint32_t start = sim.Now();
        EXPECT_EQ(c.wait(port, buffer), c.nothing);
        EXPECT_LE(sim.Now() - start, c.boundMs);
        line.AttachPeer(nullptr);
        sim.Advance(10);
        uint8_t scrap[256];
        while (port.Read(scrap, sizeof scrap, 1) > 0) {
        }
    }
}

TEST_F(RawLinkTest, StrayAcksWithoutEndFailThePacketExchange)
{
    Babbler babbler(Bytes{kAck});
    line.AttachPeer(&babbler);
    babbler.Start(line, sim.Now());
    link.SetSequence(1);
    EXPECT_EQ(CodeOf([&] { link.ReceivePacket(false); }), KIVO_ERR_PACKET);
    line.AttachPeer(nullptr);
}

// Replies and text without end are cut off at the receive limit; the limit
// is the largest file the protocol can carry, lowered here so that the test
// can reach it.
TEST_F(RawLinkTest, RepliesAndTextBeyondTheReceiveLimitFail)
{
    using namespace wire;
    link.SetReceiveLimit(20);
    Handheld(Join({{ACK, ACK}, Packet(1, "DOK"), {EOT, ENQ}, {ACK, ACK}, Packet(1, "xFUabcdefg"),
                   Packet(2, "xFUhijklmn"), Packet(3, "xFUopqrstu"), {EOT, ENQ}}));
    MemoryLinkFile file;
    EXPECT_EQ(link.GetFile(file, "G", nullptr), KIVO_ERR_WRONG_REPLY);
    EXPECT_EQ(file.contents, Text("abcdefghijklmn"));

    sim.Advance(100);
    uint8_t scrap[256];
    while (link.Read(scrap, sizeof scrap, 1) > 0) {
    }
    Handheld(Text("0123456789012345678901234"));
    MemoryLinkFile text;
    EXPECT_EQ(link.ReceiveAppText(text, nullptr), KIVO_ERR_BLOCK_RECV);
    EXPECT_TRUE(text.contents.empty());
}

}  // namespace
