// The trace decoder's words for packets and frames, from each sender, and
// what it says of a packet that is damaged on the wire.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/trace_decoder.h"

namespace {

std::vector<uint8_t> Bytes(const std::string &text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// SOH, number, complement, length, data, checksum, as the wire tables lay
// them out, with optional damage.
std::vector<uint8_t> WirePacket(uint8_t sequence, const std::string &data, uint8_t complementFlip,
                                int checksumShift)
{
    unsigned sum = 0;
    for (char c : data)
        sum += static_cast<uint8_t>(c);
    sum = (sum + static_cast<unsigned>(checksumShift)) & 0xFFFF;
    const uint8_t header[] = {0x01, sequence,
                              static_cast<uint8_t>((sequence ^ 0xFF) ^ complementFlip),
                              static_cast<uint8_t>(data.size() & 0xFF),
                              static_cast<uint8_t>(data.size() >> 8)};
    std::vector<uint8_t> out;
    for (uint8_t b : header)
        out.push_back(b);
    for (char c : data)
        out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(sum & 0xFF));
    out.push_back(static_cast<uint8_t>(sum >> 8));
    return out;
}

TEST(TraceDecoder, SaysWhatEachPacketIs)
{
    const struct {
        TraceSender sender;
        unsigned sequence;
        std::string data;
        const char *text;
    } kCases[] = {
        {TraceSender::kPc, 1, "CFF", "#1 C FF (3 bytes)"},
        {TraceSender::kPc, 1, std::string("RFUMEMO.TXT", 11) + '\0', "#1 R FU MEMO.TXT (12 bytes)"},
        {TraceSender::kPc, 1, std::string("RFF", 3) + '\0', "#1 R FF  (4 bytes)"},
        {TraceSender::kPc, 1, std::string("RDLA|B.TXT|1234", 15) + '\0',
         "#1 R DL A|B.TXT size 1234 (16 bytes)"},
        {TraceSender::kPc, 2, "RFDhello", "#2 RFD 5 bytes of file (8 bytes)"},
        // A piece of a put that happens to end with a zero is still a piece.
        {TraceSender::kPc, 3, std::string("RFDab", 5) + '\0', "#3 RFD 3 bytes of file (6 bytes)"},
        {TraceSender::kPc, 1, std::string("RFD\x82\xa0", 5) + '\0', "#1 R FD .. (6 bytes)"},
        {TraceSender::kHandheld, 1, "DOK", "#1 DOK (3 bytes)"},
        {TraceSender::kHandheld, 2, "DFUsome text", "#2 DFU (12 bytes)"},
        {TraceSender::kHandheld, 1, "CFF", "#1 CFF (3 bytes)"},
        {TraceSender::kHandheld, 1, "", "#1  (0 bytes)"},
    };
    for (const auto &c : kCases) {
        const std::vector<uint8_t> data = Bytes(c.data);
        EXPECT_EQ(TracePacketText(c.sender, c.sequence, data.data(), data.size()), c.text);
    }
}

TEST(TraceDecoder, SaysWhatIsWrongWithAPacketOnTheWire)
{
    const struct {
        std::vector<uint8_t> packet;
        const char *text;
    } kCases[] = {
        {WirePacket(1, "DOK", 0, 0), "#1 DOK (3 bytes)"},
        {WirePacket(1, "DOK", 0x01, 0), "#1 DOK (3 bytes) wrong complement"},
        {WirePacket(2, "DFUxy", 0, 1), "#2 DFU (5 bytes) wrong checksum"},
        {WirePacket(2, "DFUxy", 0x10, -1), "#2 DFU (5 bytes) wrong complement wrong checksum"},
        {{0x01, 0x01, 0xFE, 0x09, 0x00, 'D', 'O', 'K'}, "#1 DOK (3 bytes) cut short"},
        {{0x01, 0x01}, "packet cut short after 2 bytes"},
    };
    for (const auto &c : kCases)
        EXPECT_EQ(TraceWirePacketText(TraceSender::kHandheld, c.packet.data(), c.packet.size()),
                  c.text);
}

TEST(TraceDecoder, NamesControlBytesAndFrames)
{
    EXPECT_EQ(TraceControlName(0x04), "EOT");
    EXPECT_EQ(TraceControlName(0x18), "CAN");
    EXPECT_EQ(TraceControlName(0xF4), "0xF4");
    EXPECT_EQ(TraceFrameText(1, 10), "data #1 length 10");
    EXPECT_EQ(TraceFrameText(0xFFFF, 1), "data unnumbered length 1");
    EXPECT_EQ(TraceFrameText(0xFFFE, 512), "data #65534 length 512");
}

}  // namespace
