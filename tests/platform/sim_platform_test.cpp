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

// An unplugged device: what was on its way is lost, every call on the port
// fails, the platform says the device has gone, and a wait still takes its
// whole interval (no spinning in virtual time either).
TEST(SimPlatform, AVanishedDeviceHasGoneForThePortOpenOnIt)
{
    SimPlatform sim(100);
    SimLine line;
    sim.AttachPort(1, &line);
    PortHandle h = sim.OpenPort(1);
    ASSERT_NE(h, kInvalidPort);
    line.SendToPc({1, 2, 3}, 100);
    EXPECT_FALSE(sim.DeviceGone(h));

    line.Vanish();
    EXPECT_TRUE(sim.DeviceGone(h));
    uint8_t in[3];
    uint32_t n = 7;
    EXPECT_EQ(sim.ReadPort(h, in, 3, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(sim.WritePort(h, in, 1, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(line.FromPc().empty());
    bool held = false;
    EXPECT_EQ(sim.QueryStatus(h, &held), 0);
    EXPECT_EQ(sim.EscapeFunction(h, kSetDtr), 0);
    sim.WaitReadable(h, 50);
    EXPECT_EQ(sim.Now(), 150u);
    line.SendToPc({4}, 150);  // the far end talks to nobody
    EXPECT_EQ(line.QueuedToPc(), 0u);

    sim.ClosePort(h);
    EXPECT_EQ(sim.OpenPort(1), kInvalidPort);  // not there to open
    line.Replug();
    h = sim.OpenPort(1);
    ASSERT_NE(h, kInvalidPort);
    EXPECT_FALSE(sim.DeviceGone(h));
}

TEST(SimPlatform, ADeviceVanishesWhenItsTimeComesAndAPortOpenAcrossStaysGone)
{
    SimPlatform sim(1000);
    SimLine line;
    sim.AttachPort(1, &line);
    PortHandle h = sim.OpenPort(1);
    line.VanishAt(1100);
    sim.WaitReadable(h, 99);
    EXPECT_FALSE(sim.DeviceGone(h));
    sim.Sleep(1);
    EXPECT_TRUE(sim.DeviceGone(h));
    EXPECT_FALSE(line.Present());
    line.Replug();
    EXPECT_TRUE(sim.DeviceGone(h));  // the adapter is back, this handle is not
}

}  // namespace
