// The handheld's packets against the wire layout, and its reader on streams
// cut anywhere, with control bytes between packets.
#include <gtest/gtest.h>

#include "handheld/packet_wire.h"
#include "launcher/case_name.h"

namespace {

using handheld::BuildPacket;
using handheld::PacketReader;
using Bytes = std::vector<uint8_t>;

struct Layout {
    const char *name;
    uint8_t sequence;
    Bytes data;
    Bytes wire;
};

const Layout kLayouts[] = {
    {"CommandFF", 1, {'C', 'F', 'F'}, {0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x46, 0x46, 0xCF, 0x00}},
    {"CommandLE", 1, {'C', 'L', 'E'}, {0x01, 0x01, 0xFE, 0x03, 0x00, 0x43, 0x4C, 0x45, 0xD4, 0x00}},
    {"EmptyRequest", 1, {'R', 'F', 'F', 0}, {0x01, 0x01, 0xFE, 0x04, 0x00, 0x52, 0x46, 0x46, 0x00, 0xDE, 0x00}},
    {"NoData", 1, {}, {0x01, 0x01, 0xFE, 0x00, 0x00, 0x00, 0x00}},
    {"Sequence255", 255, {}, {0x01, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {"Sequence0", 0, {}, {0x01, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}},
};

class HandheldPacketLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(HandheldPacketLayout, BuildsAndReadsBack)
{
    const Layout &c = GetParam();
    EXPECT_EQ(BuildPacket(c.sequence, c.data), c.wire);
    PacketReader reader;
    for (size_t i = 0; i + 1 < c.wire.size(); ++i)
        ASSERT_FALSE(reader.Feed(c.wire[i])) << "byte " << i;
    ASSERT_TRUE(reader.Feed(c.wire.back()));
    const handheld::Packet &p = reader.Take().packet;
    EXPECT_TRUE(reader.Take().isPacket);
    EXPECT_EQ(p.sequence, c.sequence);
    EXPECT_EQ(p.data, c.data);
    EXPECT_TRUE(p.ComplementMatches());
    EXPECT_TRUE(p.ChecksumMatches());
}

INSTANTIATE_TEST_SUITE_P(Wire, HandheldPacketLayout, ::testing::ValuesIn(kLayouts),
                         CaseName());

TEST(HandheldPacketWire, ChecksumKeepsSixteenBits)
{
    const Bytes data(300, 0xFF);  // 76500 = 0x12AD4
    const Bytes packet = BuildPacket(7, data);
    EXPECT_EQ(packet[3], 0x2C);
    EXPECT_EQ(packet[4], 0x01);
    EXPECT_EQ(packet[packet.size() - 2], 0xD4);
    EXPECT_EQ(packet[packet.size() - 1], 0x2A);
}

TEST(HandheldPacketWire, FlawsDamageOnlyWhatTheySay)
{
    const Bytes sound = BuildPacket(1, {'D', 'O', 'K'});
    Bytes complement = BuildPacket(1, {'D', 'O', 'K'}, {true, false});
    Bytes checksum = BuildPacket(1, {'D', 'O', 'K'}, {false, true});
    EXPECT_NE(complement[2], sound[2]);
    complement[2] = sound[2];
    EXPECT_EQ(complement, sound);
    EXPECT_NE(checksum[8], sound[8]);
    checksum[8] = sound[8];
    EXPECT_EQ(checksum, sound);
}

TEST(HandheldPacketWire, ReaderSeparatesControlBytesAndPackets)
{
    Bytes stream = {0x06, 0x04};
    const Bytes packet = BuildPacket(2, {0x04, 0x01, 0x05});  // control values inside the data
    stream.insert(stream.end(), packet.begin(), packet.end());
    stream.push_back(0x05);
    PacketReader reader;
    std::vector<std::string> seen;
    for (uint8_t b : stream) {
        if (!reader.Feed(b))
            continue;
        const PacketReader::Item &item = reader.Take();
        seen.push_back(item.isPacket ? "packet " + std::to_string(item.packet.data.size())
                                     : handheld::ControlName(item.control));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ACK", "EOT", "packet 3", "ENQ"}));
    EXPECT_FALSE(reader.MidPacket());
}

TEST(HandheldPacketWire, ReaderNoticesDamage)
{
    Bytes packet = BuildPacket(4, {1, 2, 3});
    packet[2] = 0x00;
    packet[8] = 0x07;
    PacketReader reader;
    for (uint8_t b : packet)
        reader.Feed(b);
    EXPECT_FALSE(reader.Take().packet.ComplementMatches());
    EXPECT_FALSE(reader.Take().packet.ChecksumMatches());
}

}  // namespace
