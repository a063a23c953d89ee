// The emulator's paced line (--pace): bytes cross it each way no faster than
// 10 bits per byte at its speed, and no slower when the line is kept busy.
#include <gtest/gtest.h>

#include <vector>

#include "line_pacer.h"

namespace {

using emulator::LinePacer;

// At 10000 bit/s a byte takes 1000 us: every slice is one byte.
constexpr unsigned kSlowBaud = 10000;

TEST(LinePacer, UnpacedPassesEverythingAtOnce)
{
    LinePacer pacer(0);
    EXPECT_FALSE(pacer.Paced());
    EXPECT_EQ(pacer.Sendable(5, 4096), 4096u);
    EXPECT_FALSE(pacer.InputFull(5));
    EXPECT_EQ(pacer.NextDue(4096), 0u);
}

TEST(LinePacer, InputIsHandedOnWhenItsLastByteWouldHaveArrived)
{
    LinePacer pacer(kSlowBaud);
    ASSERT_EQ(pacer.ByteUs(), 1000u);
    const uint8_t bytes[3] = {1, 2, 3};
    pacer.Arrived(10000, bytes, 3);
    EXPECT_EQ(pacer.NextDue(0), 11000u);
    EXPECT_TRUE(pacer.TakeDelivered(10999).empty());
    EXPECT_EQ(pacer.TakeDelivered(12000), (std::vector<uint8_t>{1, 2}));
    // Bytes read while the line still carries earlier ones queue behind them.
    const uint8_t more[1] = {4};
    pacer.Arrived(12000, more, 1);
    EXPECT_EQ(pacer.TakeDelivered(13999), (std::vector<uint8_t>{3}));  // due at 13000
    EXPECT_EQ(pacer.TakeDelivered(14000), (std::vector<uint8_t>{4}));
}

TEST(LinePacer, HeldInputBeyondATenthOfASecondStopsTheReading)
{
    LinePacer pacer(kSlowBaud);
    const std::vector<uint8_t> bytes(100, 0x55);
    pacer.Arrived(0, bytes.data(), bytes.size());
    EXPECT_FALSE(pacer.InputFull(0));  // exactly 100 ms held
    pacer.Arrived(0, bytes.data(), 1);
    EXPECT_TRUE(pacer.InputFull(0));
    EXPECT_FALSE(pacer.InputFull(1000));
}

TEST(LinePacer, OutputGoesOutAsEachSliceWouldHaveCrossed)
{
    LinePacer pacer(kSlowBaud);
    // Due at 5000: the first byte has crossed at 6000, the second at 7000.
    EXPECT_EQ(pacer.Sendable(5000, 2), 0u);
    EXPECT_EQ(pacer.NextDue(2), 6000u);
    EXPECT_EQ(pacer.Sendable(5999, 2), 0u);
    EXPECT_EQ(pacer.Sendable(6500, 2), 1u);
    pacer.Sent(1);
    // Written late, the next byte still follows the first without a gap.
    EXPECT_EQ(pacer.Sendable(6999, 1), 0u);
    EXPECT_EQ(pacer.Sendable(7000, 1), 1u);
    pacer.Sent(1);
    pacer.OutputIdle();
    // Idle since: a piece due later starts when it is due.
    EXPECT_EQ(pacer.Sendable(20000, 1), 0u);
    EXPECT_EQ(pacer.Sendable(21000, 1), 1u);
}

TEST(LinePacer, AFastLineSendsAMillisecondAtATime)
{
    LinePacer pacer(115200);  // 87 us a byte: 11 bytes a slice
    EXPECT_EQ(pacer.Sendable(0, 4096), 0u);
    EXPECT_EQ(pacer.Sendable(11 * pacer.ByteUs(), 4096), 11u);
}

TEST(LinePacer, ResetDropsWhatWasHeld)
{
    LinePacer pacer(kSlowBaud);
    const uint8_t bytes[2] = {1, 2};
    pacer.Arrived(0, bytes, 2);
    pacer.Reset();
    EXPECT_TRUE(pacer.TakeDelivered(100000).empty());
    EXPECT_EQ(pacer.NextDue(0), 0u);
}

}  // namespace
