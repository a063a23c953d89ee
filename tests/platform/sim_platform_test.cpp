// The simulated platform's clock and line: time moves only when the library
// waits, bytes arrive when they are due, and purges discard only what has
// arrived.
#include <gtest/gtest.h>

#include "platform/sim_line.h"
#include "platform/sim_platform.h"

namespace {

class RecordingPeer : public SimPeer {
public:
    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        // Echo each byte back 5 ms later.
        line.SendToPc(data, size, now + 5);
    }
    void OnTime(SimLine &, uint32_t now) override { lastTime = now; }
    uint32_t lastTime = 0;
};

TEST(SimPlatform, WaitAdvancesToTheNextArrivalAtMostByTheWait)
{
    SimPlatform sim(100);
    SimLine line;
    sim.AttachPort(1, &line);
    PortHandle h = sim.OpenPort(1);
    ASSERT_NE(h, kInvalidPort);
    line.SendToPc({0x41}, 103);
    uint8_t b = 0;
    uint32_t got = 0;
    sim.ReadPort(h, &b, 1, &got);
    EXPECT_EQ(got, 0u);  // not due yet
    sim.WaitReadable(h, 1);
    EXPECT_EQ(sim.Now(), 101u);
    sim.WaitReadable(h, 10);
    EXPECT_EQ(sim.Now(), 103u);  // stops at the arrival, not the full wait
    sim.ReadPort(h, &b, 1, &got);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(b, 0x41);
    sim.WaitReadable(h, 7);
    EXPECT_EQ(sim.Now(), 110u);  // nothing due: the whole wait
}

TEST(SimPlatform, PeerSeesWritesAndTime)
{
    SimPlatform sim;
    SimLine line;
    RecordingPeer peer;
    line.AttachPeer(&peer);
    sim.AttachPort(1, &line);
    PortHandle h = sim.OpenPort(1);
    const uint8_t out[] = {1, 2, 3};
    uint32_t written = 0;
    sim.WritePort(h, out, 3, &written);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(line.FromPcValues(), (std::vector<uint8_t>{1, 2, 3}));
    sim.Sleep(5);
    EXPECT_EQ(peer.lastTime, sim.Now());
    uint8_t in[3] = {};
    uint32_t got = 0;
    sim.ReadPort(h, in, 3, &got);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(in[2], 3);
}

TEST(SimPlatform, PurgeDiscardsOnlyWhatHasArrived)
{
    SimPlatform sim(0);
    SimLine line;
    sim.AttachPort(1, &line);
    PortHandle h = sim.OpenPort(1);
    line.SendToPc({1, 2}, 0);
    line.SendToPc({3}, 50);
    sim.Purge(h, kPurgeRxAbort | kPurgeRxClear);
    EXPECT_EQ(line.QueuedToPc(), 1u);
    EXPECT_EQ(line.PurgeCount(), 1u);
}

TEST(SimPlatform, PortsAreExclusiveAndKnown)
{
    SimPlatform sim;
    SimLine line;
    sim.AttachPort(3, &line);
    sim.AddPlainFile(4);
    PortHandle h = sim.OpenPort(3);
    EXPECT_NE(h, kInvalidPort);
    EXPECT_EQ(sim.OpenPort(3), kInvalidPort);  // already open
    EXPECT_EQ(sim.OpenPort(9), kInvalidPort);  // no such port
    PortHandle file = sim.OpenPort(4);
    ASSERT_NE(file, kInvalidPort);
    EXPECT_FALSE(sim.IsCharDevice(file));
    EXPECT_TRUE(sim.IsCharDevice(h));
    sim.ClosePort(h);
    EXPECT_FALSE(line.IsOpen());
    EXPECT_NE(sim.OpenPort(3), kInvalidPort);
}

}  // namespace
