// The link classes with the steps and hooks that only tests use: the block
// exchange's and the packet layer's single steps, their counters, starting
// the numbering or the sequence at a chosen point of a conversation, and the
// port's platform handle. The library's own classes keep these out of their
// public interface.
#ifndef TESSALINK_TESTS_LINK_SEAMS_H
#define TESSALINK_TESTS_LINK_SEAMS_H

#include <cstdint>

#include "link/com_line.h"
#include "link/link_protocol.h"

class ComLineSeam : public CComLine {
public:
    using CComLine::ExpectBlocksFrom;
    using CComLine::GetRxLength;
    using CComLine::GetRxSeq;
    using CComLine::GetTxSeq;
    using CComLine::NumberBlocksFrom;
    using CComLine::ReceiveControl;
    using CComLine::ReceiveDataFrame;
    using CComLine::SendControl;
    using CComPort::Handle;
};

class LinkProtocolSeam : public CLinkProtocol {
public:
    using CLinkProtocol::EndTurn;
    using CLinkProtocol::GetSequence;
    using CLinkProtocol::PacketData;
    using CLinkProtocol::PacketDataLength;
    using CLinkProtocol::ReceivePacket;
    using CLinkProtocol::SendCommand;
    using CLinkProtocol::SendPacket;
    void SetSequence(uint8_t sequence) { NumberPacketsFrom(sequence); }
    void SetReceiveLimit(uint32_t bytes) { LimitReceivedBytes(bytes); }
    void SetSendLimit(uint32_t bytes) { LimitSentBytes(bytes); }
};

#endif
