// CLinkProtocol: the packet layer on top of the line, with its packet
// buffers and block sizes.
#ifndef TESSALINK_LINK_LINK_PROTOCOL_H
#define TESSALINK_LINK_LINK_PROTOCOL_H

#include <cstdint>
#include <memory>

#include "com_line.h"
#include "caller_file.h"
#include "link_file.h"
#include "block_size_limits.h"

// Other block sizes than block_size_limits.h allows are stored as given, but
// the operations refuse to run with them.
static_assert(kMaxBlockSize == static_cast<int32_t>(kWorkBufferSize), "a block fills the work buffer at most");

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

    // --- the operations: each runs one conversation on an open connection and
    // returns 0 or the code that ended it. A failure of the caller's file
    // raises CFileError instead. ---
    int FileList(CLinkFile &output, const char *argument, WindowHandle window);
    int GetFile(CLinkFile &output, const char *name, WindowHandle window);
    int PutFile(CLinkFile &input, const char *name, WindowHandle window);
    int PutFile2(CLinkFile &input, const char *name, WindowHandle window);
    int DelFile(const char *name, WindowHandle window);
    int Release(WindowHandle window);

    // --- the application-text stream: no packets, just bytes ending with 0x1A ---
    int SendAppText(CCallerFile &input, WindowHandle window);
    int ReceiveAppText(CLinkFile &output, WindowHandle window);

protected:
    // --- steps of the packet layer that tests drive on their own ---
    // Sends one data packet with the current sequence number; the handheld
    // acknowledges it.
    void SendPacket(const uint8_t *data, unsigned count);
    // Ends the PC's turn: EOT, the handheld's ACK, ENQ.
    void EndTurn();
    // False when a data packet was accepted (its bytes: PacketData,
    // PacketDataLength); true when the handheld ended its turn.
    bool ReceivePacket(bool expectEnd);
    // The command exchange that opens every operation: "C" + code, the end of
    // the turn, and the handheld's answer "DOK".
    void SendCommand(const char *code);
    // Receives the handheld's reply packets coded code, handing each piece to
    // the file, until the handheld ends its turn.
    void ReceiveReplies(const char *code, CLinkFile &output, bool reportProgress);
    // Receives the handheld's answer packet and the end of its turn: the
    // answer must begin with the three bytes expected, or the exchange fails
    // with failure ("DOK" after a command, "AEX" after a put).
    void ReceiveAnswer(const char *expected, int failure);

    uint8_t GetSequence() const { return m_sequence; }
    // Data bytes of the last accepted packet, and how many there are.
    const uint8_t *PacketData() const;
    unsigned PacketDataLength() const;

    // The packets sent or expected from now on carry the sequence number
    // first, counting on as the operation goes.
    void NumberPacketsFrom(uint8_t first) { m_sequence = first; }
    // The most that one receive takes from the handheld, and that one send
    // reads from its file.
    void LimitReceivedBytes(uint32_t bytes) { m_receiveLimit = bytes; }
    void LimitSentBytes(uint32_t bytes) { m_sendLimit = bytes; }

private:
    // --- the packet layer ---
    void WriteData(const uint8_t *data, unsigned count);
    void WriteControl(uint8_t control);
    void ReadPacket();
    uint8_t ReadControl();
    // Sends a packet or a chunk of a put until the handheld acknowledges it.
    enum class PutPieces { kPackets, kChunks };
    void SendChunk(const uint8_t *data, unsigned count, PutPieces kind);
    // Reads the rest of a packet whose header is in the receive buffer.
    void ReadPacketBody();
    // Reads count bytes of the packet layer, failing with -102 once the
    // handheld is taken for gone.
    void ReadOrFail(uint8_t *buffer, unsigned count);
    bool PacketFits() const;

    // Room for the data of one packet in the send buffer.
    unsigned SendCapacity() const;
    // The operations run only with usable block sizes on an open port.
    bool ReadyToRun() const;
    // Formats prefix, text, suffix and a closing zero into the work buffer and
    // returns the data length (zero included), or 0 where it does not fit one
    // packet.
    unsigned FormatRequest(const char *prefix, const char *text, const char *suffix);
    int RunPut(PutPieces pieces, CLinkFile &input, const char *name, WindowHandle window);
    int FetchReplies(const char *code, const char *text, CLinkFile &output, WindowHandle window,
                     bool reportProgress);
    // Counts bytes read from the file being sent; raises CFileError past
    // m_sendLimit.
    void CountSent(uint64_t &sent, size_t more) const;

    int32_t m_totalSize;
    int32_t m_sendBlockSize;
    int32_t m_recvBlockSize;
    uint8_t m_sequence;
    std::unique_ptr<uint8_t[]> m_sendPacket;
    std::unique_ptr<uint8_t[]> m_recvPacket;
    // Modes 0 and 2: the last packet read claimed more data than the receive
    // buffer holds; it was read off and is refused.
    bool m_recvOversized = false;
    // Mode 1: the length of the data frame that brought the last packet.
    unsigned m_recvFrameLength = 0;
    // The most that one list, get or text receive takes from the handheld
    // (kReceiveLimitBytes), and that one put or text send reads from its file
    // (kSendLimitBytes).
    uint32_t m_receiveLimit;
    uint32_t m_sendLimit;
};

#endif
