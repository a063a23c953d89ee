// The mode-1 block exchange against the handheld's line side on the simulated
// line, in virtual time: blocks both ways, numbering, refusals and retries,
// headers among noise, cancels, silence, and frames that do not fit.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "handheld/frames.h"
#include "handheld/line_side.h"
#include "link/com_line.h"
#include "link_seams.h"
#include "link/my_exception.h"
#include "support/code_of.h"
#include "support/sim_fixture.h"
#include "support/sim_handheld.h"
#include "tessalink.h"

namespace {

using handheld::Outgoing;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 0)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

class BlockExchange : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        line.AttachPeer(&peer);
        port.SetMode(1);
        port.SetPort(1, kPort);
        ASSERT_EQ(port.Connect(), 1);
        ASSERT_EQ(side.SwitchesSeen(), 1u);
        port.NumberBlocksFrom(0xFFFF);
        port.ExpectBlocksFrom(1);
    }
    void TearDown() override
    {
        port.Disconnect(0);
        SimFixture::TearDown();
    }

    // The handheld sends a unit; the test lets it go out on the line.
    void HandheldSends(const std::vector<uint8_t> &data, uint16_t sequence)
    {
        side.SendUnit(data, sequence);
        peer.Flush(line);
    }

    std::vector<size_t> ReceivedSizes()
    {
        std::vector<size_t> sizes;
        for (const handheld::Unit &u : side.TakeReceived())
            sizes.push_back(u.data.size());
        return sizes;
    }

    handheld::LineSide side{LinkMode::kFramed};
    SimHandheld peer{side};
    ComLineSeam port;
    uint8_t buffer[1024] = {};
};

TEST_F(BlockExchange, SendSplitsIntoBlocksOfAtMost512)
{
    const std::vector<uint8_t> data = Pattern(1200);
    port.Send(data.data(), 1200);
    std::vector<handheld::Unit> units = side.TakeReceived();
    ASSERT_EQ(units.size(), 3u);
    std::vector<uint8_t> joined;
    const size_t sizes[] = {512, 512, 176};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(units[i].data.size(), sizes[i]);
        EXPECT_EQ(units[i].sequence, 0xFFFF);
        joined.insert(joined.end(), units[i].data.begin(), units[i].data.end());
    }
    EXPECT_EQ(joined, data);
    EXPECT_EQ(port.GetTxSeq(), 0xFFFF);
}

TEST_F(BlockExchange, SendOfNothingSendsNothing)
{
    const size_t before = line.FromPc().size();
    port.Send(buffer, 0);
    EXPECT_EQ(line.FromPc().size(), before);
}

// The exact bytes of an exchange, against the frame layout on the wire.
TEST_F(BlockExchange, SendByteWritesEnqThenOneByteFrame)
{
    const size_t before = line.FromPc().size();
    port.SendByte(0x141);  // only the low 8 bits count
    std::vector<uint8_t> sent = line.FromPcValues();
    sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
    const std::vector<uint8_t> expected = {
        0, 0, 0, 0, 0, 0x96, 0x82, 0x05,                                   // ENQ
        0, 0, 0, 0, 0, 0x96, 0x81, 0x10, 0xFF, 0xFF, 0x01, 0x40, 0xFE,     // header
        0x01, 0x00, 0x41, 0x41, 0x00};                                     // L, data, sum
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(ReceivedSizes(), std::vector<size_t>{1});
}

TEST_F(BlockExchange, NumberedSendingAdvancesOnlyOnAck)
{
    port.NumberBlocksFrom(1);
    side.RefuseFrames(1);  // the first frame is refused once
    const std::vector<uint8_t> data = Pattern(1100);
    port.Send(data.data(), 1100);
    std::vector<handheld::Unit> units = side.TakeReceived();
    ASSERT_EQ(units.size(), 3u);
    for (uint16_t i = 0; i < 3; ++i)
        EXPECT_EQ(units[i].sequence, i + 1);
    EXPECT_EQ(port.GetTxSeq(), 4);
    // The refusal cost the first block one attempt: four ENQs for three blocks.
    const std::vector<uint8_t> &controls = side.ControlsReceived();
    EXPECT_EQ(std::count(controls.begin(), controls.end(), 0x05), 4);
}

TEST_F(BlockExchange, CountingUpToUnnumberedStaysUnnumbered)
{
    port.NumberBlocksFrom(0xFFFE);
    const std::vector<uint8_t> data = Pattern(1024);
    port.Send(data.data(), 1024);
    std::vector<handheld::Unit> units = side.TakeReceived();
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].sequence, 0xFFFE);
    EXPECT_EQ(units[1].sequence, 0xFFFF);
    port.SendByte(1);
    EXPECT_EQ(side.TakeReceived().at(0).sequence, 0xFFFF);
    EXPECT_EQ(port.GetTxSeq(), 0xFFFF);
}

TEST_F(BlockExchange, ReceiveLeavesTheBlockAndAZeroByte)
{
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    const std::vector<uint8_t> data = Pattern(300, 3);
    HandheldSends(data, 1);
    EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 300);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer));
    EXPECT_EQ(buffer[300], 0x00);
    EXPECT_EQ(buffer[301], 0xEE);
    EXPECT_EQ(port.GetRxLength(), 300);
    EXPECT_EQ(port.GetRxSeq(), 2);
}

TEST_F(BlockExchange, NumberedFramesAreTakenInTurnAndARepeatIsRefused)
{
    for (uint16_t n = 1; n <= 3; ++n) {
        HandheldSends(Pattern(10, static_cast<uint8_t>(n)), n);
        EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 10) << "frame " << n;
    }
    EXPECT_EQ(port.GetRxSeq(), 4);
    HandheldSends(Pattern(10, 1), 1);  // frame 1 again
    EXPECT_EQ(CodeOf([&] { port.Receive(buffer, sizeof buffer, 0); }), KIVO_ERR_BLOCK_RECV);
    std::vector<uint8_t> controls = side.ControlsReceived();
    EXPECT_EQ(std::count(controls.begin(), controls.end(), 0x15), 3) << "three NAKs";
    EXPECT_EQ(port.GetRxSeq(), 4);
}

TEST_F(BlockExchange, AnUnnumberedFrameIsAlwaysTakenAndEndsTheNumbering)
{
    port.ExpectBlocksFrom(40);
    HandheldSends({1, 2, 3}, 0xFFFF);
    EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 3);
    EXPECT_EQ(port.GetRxSeq(), 0xFFFF);
    HandheldSends({4}, 41);  // numbered frames are refused from now on
    EXPECT_EQ(CodeOf([&] { port.Receive(buffer, sizeof buffer, 0); }), KIVO_ERR_BLOCK_RECV);
}

TEST_F(BlockExchange, AWrongSumIsRefusedAndTheRetryTaken)
{
    side.CorruptSums(1);
    const std::vector<uint8_t> data = Pattern(64);
    HandheldSends(data, 1);
    EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 64);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer));
    EXPECT_EQ(side.ControlsReceived(), (std::vector<uint8_t>{0x16, 0x15, 0x16, 0x06}));
}

TEST_F(BlockExchange, OtherHeaderFormsAndNoiseAreFoundBothWays)
{
    handheld::FrameStyle style;
    style.kindHighNibble = 0x9;  // 0x91 / 0x92
    style.leadingZeros = 11;
    style.noise = {0x41, 0x96, 0x82, 0x00, 0x13, 0xA0};
    side.SetFrameStyle(style);
    const std::vector<uint8_t> data = Pattern(700);
    port.Send(data.data(), 700);
    EXPECT_EQ(ReceivedSizes(), (std::vector<size_t>{512, 188}));
    HandheldSends(Pattern(20), 1);
    EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 20);
}

TEST_F(BlockExchange, HuntingSkipsWhatIsNoHeader)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> before;
    };
    const Case cases[] = {
        {"0x96 without a zero", {0x41, 0x96, 0x82, 0x05}},
        {"kind 0xA1", {0x00, 0x96, 0xA1, 0x10}},
        {"zero then other", {0x00, 0x41, 0x96, 0x82}},
        {"kind 0x72", {0x00, 0x00, 0x96, 0x72, 0x05}},
    };
    for (const Case &c : cases) {
        line.SendToPc(c.before.data(), c.before.size(), sim.Now());
        std::vector<uint8_t> enq = handheld::BuildControlFrame(0x05);
        line.SendToPc(enq.data(), enq.size(), sim.Now() + 5);
        EXPECT_EQ(port.ReceiveControl(100), 0x05) << c.name;
        EXPECT_EQ(line.QueuedToPc(), 0u) << c.name;
    }
    // Noise alone is no control frame.
    const uint8_t noise[] = {0x41, 0x96, 0x82, 0x05};
    line.SendToPc(noise, sizeof noise, sim.Now());
    EXPECT_EQ(port.ReceiveControl(100), 0xFF);
}

TEST_F(BlockExchange, ADataFrameWhileAControlFrameIsAwaitedIsSkippedAndTheWaitRestarts)
{
    const uint32_t t0 = sim.Now();
    std::vector<uint8_t> data = handheld::BuildDataFrame(Pattern(40), 1);
    line.SendToPc(data.data(), data.size(), t0 + 300);
    std::vector<uint8_t> enq = handheld::BuildControlFrame(0x05);
    line.SendToPc(enq.data(), enq.size(), t0 + 750);  // past the first 500 ms
    EXPECT_EQ(port.ReceiveControl(500), 0x05);
    EXPECT_EQ(sim.Now(), t0 + 750);
}

TEST_F(BlockExchange, WrongFrameKindsRaiseTheirCodes)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
        bool awaitData;
        int code;
    };
    const Case cases[] = {
        {"kind 3 for a control frame", handheld::BuildHeader(0x83), false, KIVO_ERR_NOT_CONTROL},
        {"kind 3 for a data frame", handheld::BuildHeader(0x93), true, KIVO_ERR_NOT_DATA},
        {"sub-kind 0x20", {0, 0, 0, 0, 0, 0x96, 0x81, 0x20}, true, KIVO_ERR_BAD_HEADER},
    };
    for (const Case &c : cases) {
        line.SendToPc(c.bytes.data(), c.bytes.size(), sim.Now());
        int code = c.awaitData
                       ? CodeOf([&] { port.ReceiveDataFrame(buffer, sizeof buffer, 100); })
                       : CodeOf([&] { port.ReceiveControl(100); });
        EXPECT_EQ(code, c.code) << c.name;
    }
    // A header of kind 0 is no frame.
    std::vector<uint8_t> zeroKind = handheld::BuildHeader(0x80);
    line.SendToPc(zeroKind.data(), zeroKind.size(), sim.Now());
    EXPECT_EQ(port.ReceiveControl(50), 0xFF);
}

TEST_F(BlockExchange, ACancelAnywhereRaisesMinusSix)
{
    struct Case {
        const char *name;
        Outgoing replaced;
        bool libraryReceives;
    };
    const Case cases[] = {
        {"CAN for SYN", Outgoing::kSyn, false},
        {"CAN for ACK", Outgoing::kAck, false},
        {"CAN for ENQ", Outgoing::kEnq, true},
        {"CAN for the data frame", Outgoing::kData, true},
    };
    for (const Case &c : cases) {
        side.CancelInsteadOf(c.replaced);
        int code;
        if (c.libraryReceives) {
            HandheldSends(Pattern(8), 1);
            code = CodeOf([&] { port.Receive(buffer, sizeof buffer, 0); });
        } else {
            code = CodeOf([&] { port.SendByte(0x33); });
        }
        EXPECT_EQ(code, KIVO_ERR_BLOCK_CANCEL) << c.name;
        // Let the line fall quiet before the next case.
        side.TakeReceived();
        while (port.ReceiveControl(1000) != 0xFF) {
        }
        port.ExpectBlocksFrom(1);
    }
}

TEST_F(BlockExchange, ASilentHandheldIsGivenSixMinutesAndTwoTimesTenSeconds)
{
    side.SetSilent(true);
    struct Case {
        bool sending;
        int code;
    };
    for (const Case &c : {Case{true, KIVO_ERR_BLOCK_SEND}, Case{false, KIVO_ERR_BLOCK_RECV}}) {
        const uint32_t t0 = sim.Now();
        const auto realStart = std::chrono::steady_clock::now();
        int code = c.sending ? CodeOf([&] { port.SendByte(1); })
                             : CodeOf([&] { port.Receive(buffer, sizeof buffer, 0); });
        EXPECT_EQ(code, c.code);
        const uint32_t waited = sim.Now() - t0;
        EXPECT_GE(waited, 380000u);
        EXPECT_LE(waited, 381600u);
        // Virtual time: six minutes pass in a blink.
        EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(20));
    }
}

TEST_F(BlockExchange, AFrameLongerThanTheBufferIsRefusedNeverStored)
{
    std::vector<uint8_t> guarded(200, 0xEE);
    HandheldSends(Pattern(600), 1);
    EXPECT_EQ(CodeOf([&] { port.Receive(guarded.data(), 100, 0); }), KIVO_ERR_BLOCK_RECV);
    for (size_t i = 0; i < guarded.size(); ++i)
        ASSERT_EQ(guarded[i], 0xEE) << "byte " << i << " was written";
    // A block that exactly fits with its closing zero is taken.
    HandheldSends(Pattern(99), 1);
    EXPECT_EQ(port.Receive(guarded.data(), 100, 0), 99);
    EXPECT_EQ(guarded[99], 0x00);
    EXPECT_EQ(guarded[100], 0xEE);
}

TEST_F(BlockExchange, AFrameThatStopsHalfwayEndsAfterAMinuteOfSilence)
{
    std::vector<uint8_t> frame = handheld::BuildDataFrame(Pattern(50), 1);
    frame.resize(30);  // the line dies in the middle of the data
    line.SendToPc(frame.data(), frame.size(), sim.Now());
    const uint32_t t0 = sim.Now();
    EXPECT_EQ(port.ReceiveDataFrame(buffer, sizeof buffer, 500), 0xFF);
    EXPECT_GE(sim.Now() - t0, 60000u);
    EXPECT_LE(sim.Now() - t0, 60010u);
}

TEST(BlockExchangeModes, RawModesReadAndOtherModesDoNothing)
{
    SimPlatform sim;
    SimLine line;
    sim.AttachPort(2, &line);
    Platform *previous = InstallPlatform(&sim);
    CComLine port;
    uint8_t buffer[16];
    for (int mode : {0, 2}) {
        port.SetMode(mode);
        port.SetPort(mode, 2);
        ASSERT_EQ(port.Open(2, &port.LineStateOf(mode)), 1);
        line.SendToPc({1, 2, 3}, sim.Now());
        EXPECT_EQ(port.Receive(buffer, 16, 50), 3) << "mode " << mode;
        port.Send(buffer, 3);
        port.SendByte(0x1A);
        port.Close(0);
    }
    EXPECT_EQ(line.FromPcValues(), (std::vector<uint8_t>{1, 2, 3, 0x1A, 1, 2, 3, 0x1A}));

    CComLine noMode;  // mode -1
    ASSERT_EQ(noMode.Open(2, nullptr), 1);
    line.SendToPc({9}, sim.Now());
    EXPECT_EQ(noMode.Receive(buffer, 16, 50), 0);
    noMode.Send(buffer, 3);
    noMode.SendByte(1);
    EXPECT_EQ(line.FromPc().size(), 8u);
    noMode.Close(0);
    InstallPlatform(previous);
}

}  // namespace
