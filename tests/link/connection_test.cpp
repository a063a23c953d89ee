// The connection bracket on the simulated line: the mode-1 start as a
// timeline of signals and bytes, the plain start of modes 0 and 2, and the
// mode-2 wait for the handheld to release the line when closing.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "handheld/line_side.h"
#include "link/com_line.h"
#include "link/my_exception.h"
#include "link/port_messages.h"
#include "platform/sim_window.h"
#include "support/sim_fixture.h"
#include "support/sim_handheld.h"
#include "tessalink.h"

namespace {

// A change of the signals: when, DTR, RTS.
using SignalChange = std::tuple<uint32_t, bool, bool>;

const std::vector<uint8_t> kSwitchBytes = {0x0B, 0x21, 0x37, 0x45, 0x50, 0x64, 0x70,
                                           0xD1, 0x56, 0xD0, 0x87, 0x91, 0x11};

class Connection : public SimFixture {
protected:
    void StartHandheld(int mode)
    {
        side = std::make_unique<handheld::LineSide>(static_cast<LinkMode>(mode));
        peer = std::make_unique<SimHandheld>(*side);
        line.AttachPeer(peer.get());
        port.SetMode(mode);
        port.SetPort(mode, kPort);
    }

    // The signal changes, each at the time it took effect: repeated settings
    // of a signal to the state it already has are left out.
    std::vector<SignalChange> Transitions() const
    {
        std::vector<SignalChange> changes;
        for (const SimSignalEvent &e : line.Signals())
            if (changes.empty() || std::get<1>(changes.back()) != e.dtr ||
                std::get<2>(changes.back()) != e.rts)
                changes.emplace_back(e.time, e.dtr, e.rts);
        return changes;
    }

    CComLine port;
    std::unique_ptr<handheld::LineSide> side;
    std::unique_ptr<SimHandheld> peer;
};

struct ProbeCase {
    const char *name;
    handheld::ProbeAnswer answer;
    bool switched;
    size_t lateBytesLeft;
};

class ModeOneStart : public Connection, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ModeOneStart, FollowsTheSignalTimeline)
{
    const ProbeCase &c = GetParam();
    StartHandheld(1);
    side->SetProbeAnswer(c.answer);
    const uint32_t t0 = sim.Now();
    ASSERT_EQ(port.Connect(), 1);

    // RTS then DTR raised at the open; RTS low from 100 ms to 150 ms; DTR
    // dropped at 200 ms with the probe byte, and raised again only once the
    // line is switched (3 ms after the sequence and the purge) or set back to
    // its record.
    const uint32_t dtrBack = c.switched ? 213 : 210;
    const std::vector<SignalChange> expected = {
        {t0, false, true},        {t0, true, true},         {t0 + 100, true, false},
        {t0 + 150, true, true},   {t0 + 200, false, true},  {t0 + dtrBack, true, true}};
    EXPECT_EQ(Transitions(), expected);

    const std::vector<SimByte> &sent = line.FromPc();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].value, 0xF0);
    EXPECT_EQ(sent[0].time, t0 + 200);
    EXPECT_EQ(sent[0].parity, NOPARITY);
    EXPECT_EQ(side->ProbesSeen(), 1u);

    std::vector<uint8_t> after;
    for (size_t i = 1; i < sent.size(); ++i) {
        after.push_back(sent[i].value);
        EXPECT_EQ(sent[i].time, t0 + 210) << "the sequence follows the 10 ms pause";
        EXPECT_EQ(sent[i].parity, NOPARITY);
    }
    EXPECT_EQ(after, c.switched ? kSwitchBytes : std::vector<uint8_t>{});
    EXPECT_EQ(side->SwitchesSeen(), c.switched ? 1u : 0u);
    EXPECT_EQ(line.PurgeCount(), c.switched ? 1u : 0u);

    // Either way the line ends at odd parity with DTR and RTS raised, and
    // the last act is the 500 ms settling sleep.
    EXPECT_EQ(line.States().back().state.Parity, ODDPARITY);
    EXPECT_TRUE(line.Dtr());
    EXPECT_TRUE(line.Rts());
    ASSERT_FALSE(sim.Sleeps().empty());
    EXPECT_EQ(sim.Sleeps().back().ms, 500u);
    EXPECT_EQ(sim.Now(), sim.Sleeps().back().time + 500);
    EXPECT_EQ(line.QueuedToPc(), c.lateBytesLeft);
    EXPECT_EQ(port.Disconnect(0), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModeOneStart,
    ::testing::Values(ProbeCase{"F4", handheld::ProbeAnswer::kF4, true, 0},
                      ProbeCase{"F5", handheld::ProbeAnswer::kF5, true, 0},
                      ProbeCase{"F6", handheld::ProbeAnswer::kWrong, false, 0},
                      ProbeCase{"silence", handheld::ProbeAnswer::kNone, false, 0},
                      // A late answer is not seen, and stays for whatever reads next.
                      ProbeCase{"late", handheld::ProbeAnswer::kLate, false, 1}),
    [](const ::testing::TestParamInfo<ProbeCase> &p) { return std::string(p.param.name); });

TEST_F(Connection, ModesZeroAndTwoSendNothingAndSettle)
{
    for (int mode : {0, 2}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        StartHandheld(mode);
        const uint32_t t0 = sim.Now();
        ASSERT_EQ(port.Connect(), 1);
        EXPECT_TRUE(line.FromPc().empty());
        EXPECT_EQ(sim.Now(), t0 + 500);
        EXPECT_TRUE(line.Dtr());
        EXPECT_TRUE(line.Rts());
        EXPECT_EQ(line.States().back().state.BaudRate, port.LineStateOf(mode).BaudRate);
        EXPECT_EQ(port.Disconnect(7), 7);
        EXPECT_FALSE(line.IsOpen());
    }
}

TEST_F(Connection, WithoutAModeOpensNothing)
{
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.Connect(), 0);
    EXPECT_EQ(line.OpenCount(), 0u);
    EXPECT_TRUE(sim.Messages().empty());
    EXPECT_EQ(sim.Now(), t0);
}

TEST_F(Connection, APortThatCannotOpenFailsAtOnce)
{
    port.SetMode(1);
    port.SetPort(1, 9);  // nothing there
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.Connect(), 0);
    ASSERT_EQ(sim.Messages().size(), 1u);
    EXPECT_EQ(sim.Messages()[0], kMsgCannotOpenPort);
    EXPECT_EQ(sim.Now(), t0);  // no probe, no pause
}

TEST_F(Connection, AConnectionAlreadyOpenIsRefused)
{
    StartHandheld(2);
    ASSERT_EQ(port.Connect(), 1);
    EXPECT_THROW(port.Connect(), CMyException);
    EXPECT_TRUE(port.IsOpen());
    port.Disconnect(0);
}

// The mode-2 close waits for CTS to drop, as long as the operation succeeded.
class DrainWait : public Connection {
protected:
    void SetUp() override
    {
        Connection::SetUp();
        StartHandheld(2);
        ASSERT_EQ(port.Connect(), 1);
        port.SetNotifyWindow(window.Handle());
    }
    SimWindow window;
};

TEST_F(DrainWait, EndsOnTheFirstCheckWhenCtsIsAlreadyLow)
{
    side->FinishConversation();
    peer->Flush(line);
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.Disconnect(0), 0);
    EXPECT_EQ(sim.Now(), t0);
    EXPECT_EQ(window.Count(WM_LINK_POLL), 1u);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(DrainWait, WaitsUntilTheHandheldDropsCts)
{
    const uint32_t t0 = sim.Now();
    window.AnswerWith([&](const SimWindow::Message &) -> intptr_t {
        if (sim.Now() - t0 >= 300)
            line.SetCts(false);
        return 0;
    });
    EXPECT_EQ(port.Disconnect(0), 0);
    EXPECT_GE(sim.Now() - t0, 300u);
    EXPECT_LE(sim.Now() - t0, 302u);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(DrainWait, ACancelEndsTheWaitAndKeepsTheResult)
{
    window.CancelAfterPolls(10);
    EXPECT_EQ(port.Disconnect(0), 0);
    EXPECT_EQ(window.Count(WM_LINK_POLL), 11u);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(DrainWait, AFailedStatusQueryEndsTheWait)
{
    line.FailStatusQuery(true);
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.Disconnect(0), 0);
    EXPECT_EQ(sim.Now(), t0);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(DrainWait, AHandheldThatNeverReleasesIsNotWaitedForForEver)
{
    port.SetNotifyWindow(nullptr);
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.Disconnect(0), 0);
    EXPECT_GE(sim.Now() - t0, 360000u);
    EXPECT_LE(sim.Now() - t0, 360002u);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(Connection, OnlyASuccessfulModeTwoOperationWaits)
{
    struct Case {
        int mode;
        int result;
    };
    const Case cases[] = {{2, -100}, {2, 999}, {0, 0}, {1, 0}, {0, -2}};
    for (const Case &c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " result " + std::to_string(c.result));
        StartHandheld(c.mode);
        side->SetProbeAnswer(handheld::ProbeAnswer::kNone);
        ASSERT_EQ(port.Connect(), 1);
        const uint32_t t0 = sim.Now();
        EXPECT_EQ(port.Disconnect(c.result), c.result);
        EXPECT_EQ(sim.Now(), t0);
        EXPECT_FALSE(line.IsOpen());
        EXPECT_FALSE(line.Dtr());
    }
}

}  // namespace
