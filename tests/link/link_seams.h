// The link classes with the hooks that only tests use: starting the block
// exchange's numbering, or the packet layer's sequence, at a chosen point of
// a conversation. The library's own classes keep these out of their public
// interface.
#ifndef TESSALINK_TESTS_LINK_SEAMS_H
#define TESSALINK_TESTS_LINK_SEAMS_H

#include <cstdint>

#include "link/com_line.h"
#include "link/link_protocol.h"

class ComLineSeam : public CComLine {
public:
    using CComLine::ExpectBlocksFrom;
    using CComLine::NumberBlocksFrom;
};

class LinkProtocolSeam : public CLinkProtocol {
public:
    void SetSequence(uint8_t sequence) { m_sequence = sequence; }
    void SetReceiveLimit(uint32_t bytes) { m_receiveLimit = bytes; }
    void SetSendLimit(uint32_t bytes) { m_sendLimit = bytes; }
};

#endif
