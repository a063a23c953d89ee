// The packet layer: numbered, checksummed packets acknowledged one by one,
// half-duplex turns ended with EOT/ACK/ENQ, and the command exchange that
// opens every operation with the handheld's "DOK".
#include <cstring>
#include <vector>

#include "../include/tessalink.h"
#include "link_protocol.h"
#include "my_exception.h"
#include "packet_constants.h"
#include "waits.h"
#include "wire_words.h"

namespace {

// The room for a packet's data in a buffer made for a block size.
unsigned DataRoom(int32_t blockSize)
{
    return static_cast<unsigned>(blockSize) + kPacketBufferExtra - kPacketFraming;
}

// The data length that a packet's header claims.
unsigned ClaimedLength(const uint8_t *packet)
{
    return Le16(packet + kPacketLengthAt);
}

}  // namespace

unsigned CLinkProtocol::SendCapacity() const
{
    return DataRoom(m_sendBlockSize);
}

const uint8_t *CLinkProtocol::PacketData() const
{
    return m_recvPacket.get() + kPacketHeaderSize;
}

unsigned CLinkProtocol::PacketDataLength() const
{
    const unsigned capacity = DataRoom(m_recvBlockSize);
    const unsigned length = ClaimedLength(m_recvPacket.get());
    return length < capacity ? length : capacity;
}

// --- writing and reading by mode ---

void CLinkProtocol::WriteData(const uint8_t *data, unsigned count)
{
    NumberBlocksFrom(kUnnumbered);
    Send(data, count & 0xFFFF);
}

void CLinkProtocol::WriteControl(uint8_t control)
{
    NumberBlocksFrom(kUnnumbered);
    if (GetMode() != LinkMode::kFramed)  // mode 1: in its frame's line
        CallTrace().Control(TraceDirection::kSent, control);
    SendByte(control);
}

void CLinkProtocol::ReadOrFail(uint8_t *buffer, unsigned count)
{
    if (Read(buffer, count, kHandheldGoneMs) != static_cast<int>(count))
        throw CMyException(KIVO_ERR_PACKET);
}

void CLinkProtocol::ReadPacket()
{
    uint8_t *packet = m_recvPacket.get();
    m_recvOversized = false;
    if (GetMode() == LinkMode::kFramed) {
        ExpectBlocksFrom(1);
        m_recvFrameLength = static_cast<unsigned>(
            Receive(packet, static_cast<unsigned>(m_recvBlockSize) + kPacketBufferExtra, 0));
        return;
    }
    ReadOrFail(packet, 1);
    if (packet[0] == kSoh)
        ReadPacketBody();
    else
        CallTrace().Control(TraceDirection::kReceived, packet[0]);
}

void CLinkProtocol::ReadPacketBody()
{
    uint8_t *packet = m_recvPacket.get();
    ReadOrFail(packet + kPacketSequenceAt, kPacketHeaderSize - kPacketSequenceAt);
    const unsigned length = ClaimedLength(packet);
    if (length > DataRoom(m_recvBlockSize)) {
        // Never stored beyond the buffer: read off and refused.
        std::vector<uint8_t> scrap(length + kPacketTrailerSize);
        ReadOrFail(scrap.data(), static_cast<unsigned>(scrap.size()));
        CallTrace().Bytes(TraceDirection::kReceived, "packet too long for the receive block:",
                          length);
        m_recvOversized = true;
        return;
    }
    ReadOrFail(packet + kPacketHeaderSize, length + kPacketTrailerSize);
    CallTrace().Packet(TraceDirection::kReceived, packet, length + kPacketFraming);
}

uint8_t CLinkProtocol::ReadControl()
{
    if (GetMode() != LinkMode::kFramed) {
        uint8_t control = 0;
        ReadOrFail(&control, 1);
        CallTrace().Control(TraceDirection::kReceived, control);
        return control;
    }
    std::vector<uint8_t> frame(static_cast<size_t>(m_recvBlockSize) + kPacketBufferExtra);
    ExpectBlocksFrom(1);
    Receive(frame.data(), static_cast<unsigned>(frame.size()), 0);
    return frame[0];
}

bool CLinkProtocol::PacketFits() const
{
    if (GetMode() != LinkMode::kFramed)
        return !m_recvOversized;
    // In mode 1 the packet is the frame's content: its length field must not
    // claim more than the frame brought.
    return m_recvFrameLength >= kPacketFraming &&
           ClaimedLength(m_recvPacket.get()) + kPacketFraming <= m_recvFrameLength;
}

// --- sending ---

void CLinkProtocol::SendPacket(const uint8_t *data, unsigned count)
{
    if (count > SendCapacity())
        throw CMyException(KIVO_ERR_PACKET);
    uint8_t *packet = m_sendPacket.get();
    packet[0] = kSoh;
    packet[kPacketSequenceAt] = m_sequence;
    packet[kPacketComplementAt] = static_cast<uint8_t>(m_sequence ^ 0xFF);
    PutLe16(packet + kPacketLengthAt, count);
    if (count > 0)
        std::memmove(packet + kPacketHeaderSize, data, count);
    PutLe16(packet + kPacketHeaderSize + count, Sum16(data, count));
    SendChunk(packet, count + kPacketFraming, PutPieces::kPackets);
}

void CLinkProtocol::SendChunk(const uint8_t *data, unsigned count, PutPieces kind)
{
    for (int sendings = 0;; ++sendings) {
        if (sendings >= kPacketSendings)
            throw CMyException(KIVO_ERR_PACKET);
        if (kind == PutPieces::kChunks)
            CallTrace().Bytes(TraceDirection::kSent, "chunk", count);
        else if (GetMode() != LinkMode::kFramed)  // mode 1: in its frame's line
            CallTrace().Packet(TraceDirection::kSent, data, count);
        WriteData(data, count);
        const uint8_t answer = ReadControl();
        if (answer == kCan)
            throw CMyException(KIVO_ERR_PACKET_CANCEL);
        if (answer == kAck)
            return;
        if (answer != kNak)
            throw CMyException(KIVO_ERR_PACKET);
    }
}

void CLinkProtocol::EndTurn()
{
    WriteControl(kEot);
    const uint8_t answer = ReadControl();
    if (answer == kCan)
        throw CMyException(KIVO_ERR_PACKET_CANCEL);
    if (answer != kAck)
        throw CMyException(KIVO_ERR_PACKET);
    WriteControl(kEnq);
}

// --- receiving ---

bool CLinkProtocol::ReceivePacket(bool expectEnd)
{
    static const char kCancelPacket[] = "ANG000";
    uint8_t *packet = m_recvPacket.get();
    int attempts = 0;
    int cancels = 0;
    unsigned strayAcks = 0;
    for (;;) {
        if (attempts >= kPacketAttempts)
            throw CMyException(KIVO_ERR_PACKET);
        ReadPacket();
        switch (packet[0]) {
        case kCan:
            if (cancels != 0)
                throw CMyException(KIVO_ERR_PACKET_CANCEL);
            if (GetMode() == LinkMode::kFramed) {
                // Stands in for a data packet that no caller accepts.
                std::memcpy(packet + kPacketHeaderSize, kCancelPacket, sizeof kCancelPacket);
                PutLe16(packet + kPacketLengthAt, sizeof kCancelPacket - 1);
                return false;
            }
            WriteControl(kEnq);
            cancels = 1;
            continue;
        case kSoh:
            break;
        case kEot: {
            WriteControl(kAck);
            packet[0] = ReadControl();
            if (packet[0] == kCan)
                throw CMyException(KIVO_ERR_PACKET_CANCEL);
            if (packet[0] != kEnq)
                throw CMyException(KIVO_ERR_PACKET);
            return true;
        }
        case kAck:
            // A stray acknowledgement costs no attempt, but a handheld that
            // sends nothing else is not waited for without end.
            if (++strayAcks > kStrayAckLimit)
                throw CMyException(KIVO_ERR_PACKET);
            continue;
        default:
            throw CMyException(KIVO_ERR_PACKET);
        }

        if (expectEnd)
            throw CMyException(KIVO_ERR_PACKET);
        const unsigned length = ClaimedLength(packet);
        const uint8_t sequence = packet[kPacketSequenceAt];
        const bool repeat = m_sequence >= 1 && sequence == m_sequence - 1;
        if (!PacketFits() || (packet[kPacketComplementAt] ^ 0xFF) != sequence) {
            WriteControl(kNak);
        } else if (repeat) {
            WriteControl(kAck);  // sent again by the handheld: not used
        } else if (sequence != m_sequence ||
                   Sum16(packet + kPacketHeaderSize, length) !=
                       Le16(packet + kPacketHeaderSize + length)) {
            WriteControl(kNak);
        } else {
            WriteControl(kAck);
            return false;
        }
        ++attempts;
    }
}

void CLinkProtocol::ReceiveAnswer(const char *expected, int failure)
{
    m_sequence = 1;
    ReceivePacket(false);
    const bool ended = ReceivePacket(true);
    if (!ended || PacketDataLength() < 3 || std::memcmp(PacketData(), expected, 3) != 0)
        throw CMyException(failure);
}

void CLinkProtocol::SendCommand(const char *code)
{
    const uint8_t command[3] = {'C', static_cast<uint8_t>(code[0]), static_cast<uint8_t>(code[1])};
    m_sequence = 1;
    SendPacket(command, sizeof command);
    EndTurn();
    ReceiveAnswer("DOK", KIVO_ERR_NO_DOK);
}
