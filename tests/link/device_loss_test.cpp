// A device that goes away in the middle of a conversation (an unplugged
// adapter, a hung-up terminal) ends every export at once with -999, in every
// mode, with a window that never cancels and without one; and a write that
// can make no progress ends by itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/com_port.h"
#include "link/link_object.h"
#include "link/waits.h"
#include "platform/sim_window.h"
#include "support/code_of.h"
#include "support/conversation_setup.h"
#include "support/export_calls.h"
#include "export_fixture.h"
#include "tessalink.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n)
{
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>('A' + i % 23);
    return v;
}

// Passes everything on to the handheld, and makes the device vanish once the
// PC has settled on the line and written a few bytes more, or a little later
// if it writes nothing (a text it receives).
class VanishingPeer : public SimPeer {
public:
    VanishingPeer(SimPeer &inner, uint32_t armAt) : m_inner(inner), m_armAt(armAt) {}

    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        m_inner.OnReceive(line, now, data, size);
        if (Armed(now) && (m_written += size) >= kBytesBeforeLoss)
            Vanish(line, now);
    }
    void OnSignals(SimLine &line, uint32_t now) override { m_inner.OnSignals(line, now); }
    void OnTime(SimLine &line, uint32_t now) override
    {
        m_inner.OnTime(line, now);
        if (Armed(now) && now - m_armAt >= kTimeBeforeLoss)
            Vanish(line, now);
    }

    bool Vanished() const { return m_vanished; }
    uint32_t VanishedAt() const { return m_vanishedAt; }

private:
    static constexpr size_t kBytesBeforeLoss = 12;  // a command packet and a little more
    static constexpr uint32_t kTimeBeforeLoss = 3;

    bool Armed(uint32_t now) const { return !m_vanished && static_cast<int32_t>(now - m_armAt) >= 0; }
    void Vanish(SimLine &line, uint32_t now)
    {
        m_vanished = true;
        m_vanishedAt = now;
        line.Vanish();
    }

    SimPeer &m_inner;
    uint32_t m_armAt;
    size_t m_written = 0;
    bool m_vanished = false;
    uint32_t m_vanishedAt = 0;
};

class DeviceLoss : public ExportFixture, public ::testing::WithParamInterface<int> {};

TEST_P(DeviceLoss, EveryExportEndsAtOnceWithMinusNineNineNine)
{
    const int mode = GetParam();
    KIVO_SetMode(static_cast<uint16_t>(mode));
    KIVO_SetPort(static_cast<uint16_t>(mode), kPort);
    TempDir dir;
    for (const ExportCall &call : AllExportCalls()) {
        if (!call.RunsIn(mode))
            continue;
        for (bool withWindow : {true, false}) {
            SCOPED_TRACE(std::string(call.name) + (withWindow ? " with a window" : " without a window"));
            SimWindow window;  // never cancels
            HandheldOnLine handheld(mode);
            const ConversationData what{Pattern(200000), Pattern(5000)};
            // Past the connection (the probe and the settling pause) before the loss.
            const uint32_t probe = kProbeSignalsUpMs + kProbeRtsLowMs + kProbeRtsBackMs +
                                   kProbeAnswerMs + kSwitchPauseMs;
            VanishingPeer vanishing(handheld.peer, sim.Now() + kSettleMs + (mode == 1 ? probe : 0));
            line.AttachPeer(&vanishing);
            const ExportArgs args = PrepareConversation(handheld, line, call, what, dir,
                                                        withWindow ? window.Handle() : nullptr);
            EXPECT_EQ(call.call(args), KIVO_ERR_NO_CONNECTION);
            ASSERT_TRUE(vanishing.Vanished());
            EXPECT_LE(sim.Now() - vanishing.VanishedAt(), 20u) << "ms from the loss to the return";
            EXPECT_FALSE(line.IsOpen());

            // Plugged in again (a fresh handheld, CTS up), the next call works.
            line.Replug();
            line.SetCts(true);
            HandheldOnLine fresh(mode);
            line.AttachPeer(&fresh.peer);
            EXPECT_EQ(KIVO_LinkRelease(nullptr), 0);
            EXPECT_EQ(fresh.protocol.Releases(), 1u);
            line.AttachPeer(nullptr);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, DeviceLoss, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int> &p) {
                             return "Mode" + std::to_string(p.param);
                         });

// The port alone: a write or a read on a device that has gone fails at once
// with -999, without a window, and without waiting.
class PortLoss : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_EQ(port.Open(kPort, nullptr), 1);
    }
    void TearDown() override
    {
        port.Close(0);
        SimFixture::TearDown();
    }
    CComPort port;
    uint8_t buffer[16] = {};
};

TEST_F(PortLoss, WritesAndReadsOnAGoneDeviceFailAtOnce)
{
    line.Vanish();
    const uint32_t start = sim.Now();
    EXPECT_EQ(CodeOf([&] { port.Write(buffer, sizeof buffer); }), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(CodeOf([&] { port.Read(buffer, 4, 0); }), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(CodeOf([&] { port.Read(buffer, 4, 1000); }), KIVO_ERR_NO_CONNECTION);
    EXPECT_EQ(sim.Now(), start);
}

TEST_F(PortLoss, AWriteThatMovesNothingEndsAfterItsLimitWithoutAWindow)
{
    struct Case {
        const char *name;
        void (*stall)(SimLine &line, CComPort &port);
    };
    const Case cases[] = {
        {"the device takes nothing", [](SimLine &l, CComPort &) { l.StallWrites(true); }},
        {"CTS held low", [](SimLine &l, CComPort &p) {
             LineState state{};
             state.fOutxCtsFlow = 1;
             p.SetLineState(state);
             l.SetCts(false);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.stall(line, port);
        const uint32_t start = sim.Now();
        EXPECT_EQ(CodeOf([&] { port.Write(buffer, sizeof buffer); }), KIVO_ERR_NO_CONNECTION);
        EXPECT_GE(sim.Now() - start, kWriteStallLimitMs);
        EXPECT_LE(sim.Now() - start, kWriteStallLimitMs + 1000);
        line.StallWrites(false);
        line.SetCts(true);
    }
}

// A platform write that fails returns at once; the port pauses before it
// tries again, or a write that keeps failing would hold a core for as long as
// it may stall.
TEST_F(PortLoss, AWriteThatFailsPausesBeforeItIsTriedAgain)
{
    constexpr unsigned kFailures = 50;
    line.FailWrites(kFailures);
    const uint32_t start = sim.Now();
    EXPECT_EQ(port.Write(buffer, sizeof buffer), 1);
    EXPECT_EQ(line.FromPc().size(), sizeof buffer) << "the bytes go out once writes work";
    EXPECT_EQ(sim.Now() - start, kFailures * 10) << "10 ms after each failed write";
}

// Raises CTS again when the clock reaches a given time.
class CtsBackAt : public SimPeer {
public:
    explicit CtsBackAt(uint32_t time) : m_time(time) {}
    void OnTime(SimLine &line, uint32_t now) override
    {
        if (static_cast<int32_t>(now - m_time) >= 0)
            line.SetCts(true);
    }

private:
    uint32_t m_time;
};

TEST_F(PortLoss, OutputHeldForLessThanTheLimitStillGoesOut)
{
    LineState state{};
    state.fOutxCtsFlow = 1;
    port.SetLineState(state);
    line.SetCts(false);
    CtsBackAt back(sim.Now() + kWriteStallLimitMs - 2000);
    line.AttachPeer(&back);
    EXPECT_EQ(port.Write(buffer, sizeof buffer), 1);
    EXPECT_EQ(line.FromPc().size(), sizeof buffer);
    line.AttachPeer(nullptr);
}

}  // namespace
