// Byte input and output on the simulated line, in virtual time: the silence
// rule of reads, the cancel poll, and the bounded write.
#include <gtest/gtest.h>

#include <vector>

#include "link/com_line.h"
#include "link/my_exception.h"
#include "platform/sim_window.h"
#include "support/code_of.h"
#include "support/sim_fixture.h"
#include "tessalink.h"

namespace {

class PortIo : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_EQ(port.Open(kPort, &port.LineStateOf(2)), 1);
    }
    void TearDown() override
    {
        port.Close(0);
        SimFixture::TearDown();
    }

    // Runs f, which must raise; returns the code.
    CComLine port;
    SimWindow window;
    uint8_t buffer[64] = {};
};

TEST_F(PortIo, ReadEndsAfterOneSecondOfSilenceFollowingTheLastByte)
{
    const uint32_t start = sim.Now();
    line.SendToPc({1, 2}, start + 10);
    line.SendToPc({3, 4}, start + 300);  // the fourth byte comes at +300
    EXPECT_EQ(port.Read(buffer, 10, 1000), 4);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    const uint32_t silence = sim.Now() - (start + 300);
    EXPECT_GE(silence, 1000u);
    EXPECT_LE(silence, 1002u);
}

TEST_F(PortIo, TheTimeOutLimitsSilenceNotTheWholeRead)
{
    const uint32_t start = sim.Now();
    for (uint8_t i = 0; i < 5; ++i)
        line.SendToPc({i}, start + 900u * (i + 1u));
    EXPECT_EQ(port.Read(buffer, 5, 1000), 5);
    EXPECT_EQ(sim.Now(), start + 4500);
}

TEST_F(PortIo, ZeroTimeOutWaitsUntilTheWindowCancels)
{
    port.SetNotifyWindow(window.Handle());
    window.CancelAfterPolls(3000);
    const uint32_t start = sim.Now();
    EXPECT_EQ(CodeOf([&] { port.Read(buffer, 1, 0); }), KIVO_CANCELLED);
    EXPECT_EQ(window.Count(WM_LINK_POLL), 3001u);
    EXPECT_GE(sim.Now() - start, 3000u);  // at least three virtual seconds of waiting
}

// Between empty reads the wait for input lasts at most 10 ms, so that a
// cancel takes effect within 20 ms without the wait costing much, and never
// runs past the read's own time-out.
TEST_F(PortIo, AWaitingReadPollsEveryTenMsAndEndsOnItsTimeOut)
{
    port.SetNotifyWindow(window.Handle());
    const uint32_t start = sim.Now();
    EXPECT_EQ(port.Read(buffer, 1, 25), 0);
    EXPECT_EQ(sim.Now(), start + 25);
    EXPECT_EQ(window.Count(WM_LINK_POLL), 3u);  // at 0, 10 and 20 ms

    window.CancelAfterPolls(2);
    const uint32_t cancelStart = sim.Now();
    EXPECT_EQ(CodeOf([&] { port.Read(buffer, 1, 0); }), KIVO_CANCELLED);
    EXPECT_EQ(sim.Now() - cancelStart, 20u);  // the third poll, 20 ms on
}

TEST_F(PortIo, EveryEmptyReadPollsTheWindow)
{
    port.SetNotifyWindow(window.Handle());
    const uint64_t waitsBefore = sim.ReadWaits();
    EXPECT_EQ(port.Read(buffer, 1, 20), 0);
    EXPECT_GE(window.Count(WM_LINK_POLL), 2u);
    // Each empty read but the last, which finds the time-out passed, polls
    // the window and then waits for input.
    EXPECT_EQ(window.Count(WM_LINK_POLL), sim.ReadWaits() - waitsBefore);
    EXPECT_EQ(window.Count(WM_LINK_PROGRESS), 0u);
    for (const auto &m : window.Messages()) {
        EXPECT_EQ(m.wParam, 0u);
        EXPECT_EQ(m.lParam, 0);
    }
}

TEST_F(PortIo, WritePollsAfterEveryCallIncludingTheLast)
{
    port.SetNotifyWindow(window.Handle());
    line.LimitWritesTo(3);  // ten bytes take four write calls
    window.CancelAfterPolls(3);
    const std::vector<uint8_t> data = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(CodeOf([&] { port.Write(data.data(), 10); }), KIVO_CANCELLED);
    EXPECT_EQ(line.FromPcValues(), data);  // every byte went, and still 999
    EXPECT_EQ(window.Count(WM_LINK_POLL), 4u);
}

TEST_F(PortIo, PartialWritesAreContinued)
{
    line.LimitWritesTo(1);
    const std::vector<uint8_t> data = {0x10, 0x11, 0x12};
    EXPECT_EQ(port.Write(data.data(), 3), 1);
    EXPECT_EQ(line.FromPcValues(), data);
}

TEST_F(PortIo, AStalledWriteRetriesEachSecondUntilCancelled)
{
    port.SetNotifyWindow(window.Handle());
    line.StallWrites(true);
    window.CancelAfterPolls(2);
    const uint32_t start = sim.Now();
    EXPECT_EQ(CodeOf([&] { port.WriteByte(0x41); }), KIVO_CANCELLED);
    EXPECT_EQ(sim.Now() - start, 3000u);  // three write calls of 1000 ms each
    EXPECT_TRUE(line.FromPc().empty());
}

TEST_F(PortIo, ZeroCountsDoNothing)
{
    port.SetNotifyWindow(window.Handle());
    const uint32_t start = sim.Now();
    line.SendToPc({0x55}, start);
    EXPECT_EQ(port.Read(buffer, 0, 0), 0);
    EXPECT_EQ(port.Write(buffer, 0), 1);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(sim.Now(), start);
    EXPECT_EQ(line.QueuedToPc(), 1u);
    EXPECT_TRUE(line.FromPc().empty());
}

TEST_F(PortIo, NoWindowMeansNoMessages)
{
    port.SetNotifyWindow(window.Handle());
    port.SetNotifyWindow(nullptr);
    EXPECT_FALSE(port.HasNotifyWindow());
    EXPECT_EQ(port.Read(buffer, 2, 50), 0);
    EXPECT_EQ(port.WriteByte(1), 1);
    EXPECT_TRUE(window.Messages().empty());
}

TEST_F(PortIo, ClosedPortMovesNothing)
{
    port.Close(0);
    EXPECT_EQ(port.Read(buffer, 4, 0), 0);
    EXPECT_EQ(port.Write(buffer, 4), 0);
    EXPECT_EQ(port.WriteByte(1), 0);
    uint8_t b;
    EXPECT_EQ(port.ReadByte(&b, 0), 0);
}

TEST_F(PortIo, FailingReadsCountAsEmpty)
{
    line.FailReads(true);
    line.SendToPc({7}, sim.Now());
    const uint32_t start = sim.Now();
    EXPECT_EQ(port.Read(buffer, 1, 50), 0);
    EXPECT_GE(sim.Now() - start, 50u);
}

TEST_F(PortIo, ReadByteReadsOne)
{
    uint8_t b = 0;
    line.SendToPc({0xF4, 0xF5}, sim.Now() + 5);
    EXPECT_EQ(port.ReadByte(&b, 100), 1);
    EXPECT_EQ(b, 0xF4);
    EXPECT_EQ(line.QueuedToPc(), 1u);
}

// The millisecond clock wraps after 49.7 days; a read that starts just before
// the wrap must still wait its full time-out.
TEST(PortIoClockWrap, DeadlineAcrossTheWrapStillWaits)
{
    SimPlatform sim(0xFFFFFF00u);
    SimLine line;
    sim.AttachPort(1, &line);
    Platform *previous = InstallPlatform(&sim);
    CComLine port;
    ASSERT_EQ(port.Open(1, nullptr), 1);
    uint8_t b;
    const uint32_t start = sim.Now();
    EXPECT_EQ(port.Read(&b, 1, 1000), 0);
    EXPECT_GE(static_cast<uint32_t>(sim.Now() - start), 1000u);
    port.Close(0);
    InstallPlatform(previous);
}

}  // namespace
