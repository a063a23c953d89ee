#include "packet_wire.h"

#include "link/trace_decoder.h"
#include "wire_fields.h"

namespace handheld {

std::string ControlName(uint8_t code)
{
    return TraceControlName(code);
}

bool Packet::ChecksumMatches() const
{
    return Sum16(data) == checksum;
}

std::vector<uint8_t> BuildPacket(uint8_t sequence, const std::vector<uint8_t> &data,
                                 const PacketFlaws &flaws)
{
    uint8_t complement = static_cast<uint8_t>(sequence ^ 0xFF);
    if (flaws.badComplement)
        complement = static_cast<uint8_t>(complement ^ 0x01);
    uint16_t checksum = Sum16(data);
    if (flaws.badChecksum)
        checksum = static_cast<uint16_t>(checksum + 1);

    std::vector<uint8_t> out;
    out.reserve(data.size() + wire::kPacketFraming);
    out.push_back(wire::kSoh);
    out.push_back(sequence);
    out.push_back(complement);
    AppendLe16(out, static_cast<unsigned>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    AppendLe16(out, checksum);
    return out;
}

bool PacketReader::Feed(uint8_t byte)
{
    switch (m_state) {
    case kBetween:
        if (byte != wire::kSoh) {
            m_item.isPacket = false;
            m_item.control = byte;
            return true;
        }
        m_item.isPacket = true;
        m_item.packet = Packet();
        m_state = kSequence;
        return false;
    case kSequence:
        m_item.packet.sequence = byte;
        m_state = kComplement;
        return false;
    case kComplement:
        m_item.packet.complement = byte;
        m_length = 0;
        m_fieldBytes = 0;
        m_state = kLength;
        return false;
    case kLength:
        m_length |= static_cast<size_t>(byte) << (8 * m_fieldBytes);
        if (++m_fieldBytes == 2) {
            m_fieldBytes = 0;
            m_item.packet.data.reserve(m_length);
            m_state = m_length > 0 ? kData : kChecksum;
        }
        return false;
    case kData:
        m_item.packet.data.push_back(byte);
        if (m_item.packet.data.size() == m_length)
            m_state = kChecksum;
        return false;
    case kChecksum:
        m_item.packet.checksum =
            static_cast<uint16_t>(m_item.packet.checksum | (byte << (8 * m_fieldBytes)));
        if (++m_fieldBytes < 2)
            return false;
        m_state = kBetween;
        return true;
    }
    return false;
}

}  // namespace handheld
