#include "link_protocol.h"

#include <new>

#include "packet_constants.h"
#include "waits.h"

namespace {

bool IsUsableBlockSize(int32_t size)
{
    return size >= kMinBlockSize && size <= kMaxBlockSize;
}

// A fresh packet buffer for a block size, or null where the size is unusable
// or memory is short: the operations check before they send anything.
std::unique_ptr<uint8_t[]> NewPacketBuffer(int32_t size)
{
    if (!IsUsableBlockSize(size))
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[static_cast<size_t>(size) + kPacketBufferExtra]);
}

}  // namespace

CLinkProtocol::CLinkProtocol()
    : m_totalSize(0),
      m_sendBlockSize(kDefaultBlockSize),
      m_recvBlockSize(kDefaultBlockSize),
      m_sequence(0),
      m_sendPacket(NewPacketBuffer(kDefaultBlockSize)),
      m_recvPacket(NewPacketBuffer(kDefaultBlockSize)),
      m_receiveLimit(kReceiveLimitBytes),
      m_sendLimit(kSendLimitBytes)
{
}

CLinkProtocol::~CLinkProtocol() = default;

void CLinkProtocol::SetSendBlockSize(int32_t size)
{
    m_sendBlockSize = size;
    m_sendPacket.reset();
    m_sendPacket = NewPacketBuffer(size);
}

void CLinkProtocol::SetRecvBlockSize(int32_t size)
{
    m_recvBlockSize = size;
    m_recvPacket.reset();
    m_recvPacket = NewPacketBuffer(size);
}

void CLinkProtocol::CountSent(uint64_t &sent, size_t more) const
{
    sent += more;
    if (sent > m_sendLimit)
        throw CFileError();
}

bool CLinkProtocol::BlockSizesUsable() const
{
    return IsUsableBlockSize(m_sendBlockSize) && IsUsableBlockSize(m_recvBlockSize) &&
           m_sendPacket != nullptr && m_recvPacket != nullptr;
}
