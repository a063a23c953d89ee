// The file operations of the transfer protocol: list, get, put (packets or
// unframed chunks), delete and release. Each runs one conversation and turns
// any failure of the conversation into its result.
#include <climits>
#include <cstdio>
#include <cstring>

#include "../include/tessalink.h"
#include "link_protocol.h"
#include "my_exception.h"

namespace {

// A reply piece of the handheld begins with a letter and the two-letter code
// of the operation it answers; the file's bytes follow.
constexpr unsigned kReplyCodeAt = 1;
constexpr unsigned kReplyHeadSize = 3;

}  // namespace

bool CLinkProtocol::ReadyToRun() const
{
    return BlockSizesUsable() && IsOpen() && WorkBuffer() != nullptr;
}

unsigned CLinkProtocol::FormatRequest(const char *prefix, const char *text, const char *suffix)
{
    if (text == nullptr)
        return 0;
    const size_t length = std::strlen(prefix) + std::strlen(text) + std::strlen(suffix) + 1;
    const size_t room = SendCapacity() < kWorkBufferSize ? SendCapacity() : kWorkBufferSize;
    if (length > room)
        return 0;
    std::snprintf(reinterpret_cast<char *>(WorkBuffer()), length, "%s%s%s", prefix, text, suffix);
    return static_cast<unsigned>(length);
}

void CLinkProtocol::ReceiveReplies(const char *code, CLinkFile &output, bool reportProgress)
{
    m_sequence = 1;
    uint32_t received = 0;
    while (!ReceivePacket(false)) {
        const uint8_t *data = PacketData();
        const unsigned length = PacketDataLength();
        // A handheld that never ends its turn cannot keep the call for ever.
        if (length > m_receiveLimit - received)
            throw CMyException(KIVO_ERR_WRONG_REPLY);
        received += length;
        if (length < kReplyHeadSize || data[kReplyCodeAt] != code[0] ||
            data[kReplyCodeAt + 1] != code[1]) {
            if (GetMode() != LinkMode::kFramed)
                ReceivePacket(true);  // take the handheld's end of turn first
            throw CMyException(KIVO_ERR_WRONG_REPLY);
        }
        output.Write(data + kReplyHeadSize, length - kReplyHeadSize);
        ++m_sequence;
        if (reportProgress)
            NotifyProgress(length - kReplyHeadSize, 0);
    }
}

// The request-and-replies conversation of list ("FF") and get ("FU"): the
// command, the request carrying the text, then the handheld's reply pieces
// into the file.
int CLinkProtocol::FetchReplies(const char *code, const char *text, CLinkFile &output,
                                WindowHandle window, bool reportProgress)
{
    SetNotifyWindow(window);
    if (!ReadyToRun())
        return KIVO_ERR_NO_CONNECTION;
    const char prefix[4] = {'R', code[0], code[1], '\0'};
    const unsigned requestLength = FormatRequest(prefix, text, "");
    if (requestLength == 0)
        return KIVO_ERR_PACKET;
    return ResultOf([&] {
        SendCommand(code);
        m_sequence = 1;
        SendPacket(WorkBuffer(), requestLength);
        EndTurn();
        ReceiveReplies(code, output, reportProgress);
    });
}

int CLinkProtocol::FileList(CLinkFile &output, const char *argument, WindowHandle window)
{
    return FetchReplies("FF", argument, output, window, false);
}

int CLinkProtocol::GetFile(CLinkFile &output, const char *name, WindowHandle window)
{
    return FetchReplies("FU", name, output, window, true);
}

namespace {

// The size of the file to send, as the 32-bit size the protocol announces.
int32_t SizeToSend(CLinkFile &input)
{
    const int64_t size = input.Size();
    if (size < 0 || size > INT32_MAX)
        throw CFileError();
    return static_cast<int32_t>(size);
}

}  // namespace

// The put conversation of both kinds: the command, the request announcing
// the file, the file in pieces (packets "RFD" + bytes, or unframed chunks),
// the end of the PC's turn and the handheld's answer "AEX".
int CLinkProtocol::RunPut(PutPieces pieces, CLinkFile &input, const char *name,
                          WindowHandle window)
{
    SetNotifyWindow(window);
    if (!ReadyToRun())
        return KIVO_ERR_NO_CONNECTION;
    m_totalSize = SizeToSend(input);
    const bool inPackets = pieces == PutPieces::kPackets;
    char sizeText[16] = "";
    if (!inPackets)
        std::snprintf(sizeText, sizeof sizeText, "|%ld", static_cast<long>(m_totalSize));
    const unsigned requestLength = FormatRequest(inPackets ? "RFD" : "RDL", name, sizeText);
    if (requestLength == 0)
        return KIVO_ERR_PACKET;
    return ResultOf([&] {
        SendCommand(inPackets ? "FD" : "DL");
        uint8_t *piece = WorkBuffer();
        m_sequence = 1;
        SendPacket(piece, requestLength);
        // A packet's piece follows the three bytes "RFD"; a chunk is bytes alone.
        const size_t prefix = inPackets ? 3 : 0;
        const size_t room = static_cast<size_t>(m_sendBlockSize) - prefix;
        uint64_t sent = 0;
        for (;;) {
            std::memcpy(piece, "RFD", prefix);
            const size_t got = input.Read(piece + prefix, room);
            if (got == 0)
                break;
            CountSent(sent, got);
            if (inPackets) {
                ++m_sequence;
                SendPacket(piece, static_cast<unsigned>(got + prefix));
            } else {
                SendChunk(piece, static_cast<unsigned>(got), PutPieces::kChunks);
            }
            NotifyProgress(got, m_totalSize);
        }
        EndTurn();
        ReceiveAnswer("AEX", KIVO_ERR_WRONG_REPLY);
    });
}

int CLinkProtocol::PutFile(CLinkFile &input, const char *name, WindowHandle window)
{
    return RunPut(PutPieces::kPackets, input, name, window);
}

int CLinkProtocol::PutFile2(CLinkFile &input, const char *name, WindowHandle window)
{
    return RunPut(PutPieces::kChunks, input, name, window);
}

int CLinkProtocol::DelFile(const char *name, WindowHandle window)
{
    SetNotifyWindow(window);
    if (!ReadyToRun())
        return KIVO_ERR_NO_CONNECTION;
    const unsigned requestLength = FormatRequest("RFC", name, "");
    if (requestLength == 0)
        return KIVO_ERR_PACKET;
    return ResultOf([&] {
        SendCommand("FC");
        m_sequence = 1;
        SendPacket(WorkBuffer(), requestLength);
        EndTurn();
    });
}

int CLinkProtocol::Release(WindowHandle window)
{
    SetNotifyWindow(window);
    if (!ReadyToRun())
        return KIVO_ERR_NO_CONNECTION;
    return ResultOf([&] {
        SendCommand("LE");
    });
}
