// The packet layer in mode 1, where every packet and control byte is the
// content of one data frame, against the handheld's line side.
#include <gtest/gtest.h>

#include "handheld/line_side.h"
#include "link/link_protocol.h"
#include "link_seams.h"
#include "link/my_exception.h"
#include "support/sim_fixture.h"
#include "support/sim_handheld.h"
#include "tessalink.h"
#include "packet_wire.h"

namespace {

using namespace wire;

class PacketLayerModeOne : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        line.AttachPeer(&peer);
        link.SetMode(1);
        link.SetPort(1, kPort);
        ASSERT_EQ(link.Connect(), 1);
        // The handheld acknowledges every packet that reaches it.
        peer.SetPump([this](uint32_t) {
            for (handheld::Unit &unit : side.TakeReceived()) {
                units.push_back(unit.data);
                if (!unit.data.empty() && unit.data[0] == SOH)
                    side.SendUnit({ACK}, 1);
            }
        });
    }
    void TearDown() override
    {
        link.Disconnect(0);
        SimFixture::TearDown();
    }
    void HandheldSends(const Bytes &unit)
    {
        side.SendUnit(unit, 1);
        peer.Flush(line);
    }

    handheld::LineSide side{LinkMode::kFramed};
    SimHandheld peer{side};
    LinkProtocolSeam link;
    std::vector<Bytes> units;
};

TEST_F(PacketLayerModeOne, APacketIsOneFrameAndItsAnswerAnother)
{
    const uint8_t data[] = {'C', 'F', 'F'};
    link.SetSequence(1);
    link.SendPacket(data, 3);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0], Packet(1, "CFF"));

    HandheldSends(Packet(1, "DOK"));
    EXPECT_FALSE(link.ReceivePacket(false));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[1], Bytes{ACK});
    EXPECT_EQ(Bytes(link.PacketData(), link.PacketData() + 3), Text("DOK"));
}

TEST_F(PacketLayerModeOne, AFirstCanStandsForAnAngPacket)
{
    HandheldSends({CAN});
    link.SetSequence(1);
    EXPECT_FALSE(link.ReceivePacket(false));
    EXPECT_EQ(link.PacketDataLength(), 6u);
    EXPECT_EQ(Bytes(link.PacketData(), link.PacketData() + 6), Text("ANG000"));
    EXPECT_TRUE(units.empty()) << "nothing is answered";
}

TEST_F(PacketLayerModeOne, ALengthFieldClaimingMoreThanTheFrameIsRefused)
{
    Bytes lying = Packet(1, "abc");
    lying[3] = 200;  // the frame brings 3 data bytes
    HandheldSends(lying);
    HandheldSends(Packet(1, "abc"));
    link.SetSequence(1);
    EXPECT_FALSE(link.ReceivePacket(false));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0], Bytes{NAK});
    EXPECT_EQ(units[1], Bytes{ACK});
}

TEST_F(PacketLayerModeOne, EndOfTurnInFrames)
{
    HandheldSends({EOT});
    HandheldSends({ENQ});
    link.SetSequence(1);
    EXPECT_TRUE(link.ReceivePacket(true));
    EXPECT_EQ(units, std::vector<Bytes>{Bytes{ACK}});
}

}  // namespace
