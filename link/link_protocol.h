// CLinkProtocol: the packet layer on top of the line, with its packet
// buffers and block sizes.
#ifndef TESSALINK_LINK_LINK_PROTOCOL_H
#define TESSALINK_LINK_LINK_PROTOCOL_H

#include <cstdint>
#include <memory>

#include "com_line.h"

// Block sizes the packet operations can work with. Other sizes are stored as
// given, but the operations refuse to run with them.
constexpr int32_t kMinBlockSize = 4;
constexpr int32_t kMaxBlockSize = 8192;
constexpr int32_t kDefaultBlockSize = 256;
// A packet buffer holds the block plus the packet's framing.
constexpr int32_t kPacketOverhead = 8;

class CLinkProtocol : public CComLine {
public:
    CLinkProtocol();
    ~CLinkProtocol() override;

    void SetSendBlockSize(int32_t size);
    void SetRecvBlockSize(int32_t size);
    int32_t GetSendBlockSize() const { return m_sendBlockSize; }
    int32_t GetRecvBlockSize() const { return m_recvBlockSize; }

    // True when both block sizes are usable and both packet buffers exist.
    bool BlockSizesUsable() const;

protected:
    int32_t m_totalSize;
    int32_t m_sendBlockSize;
    int32_t m_recvBlockSize;
    uint8_t m_sequence;
    std::unique_ptr<uint8_t[]> m_sendPacket;
    std::unique_ptr<uint8_t[]> m_recvPacket;
};

#endif
