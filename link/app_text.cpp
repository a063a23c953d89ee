// The application-text stream: the PC sends a text file line by line and
// closes the stream with 0x1A; it receives the handheld's text until a receive
// step ends with 0x1A.
#include <climits>

#include "../include/tessalink.h"
#include "deadline.h"
#include "link_protocol.h"
#include "my_exception.h"
#include "waits.h"

namespace {

constexpr uint8_t kEndOfText = 0x1A;
constexpr size_t kPieceLimit = 8190;   // bytes of a line sent in one piece

}  // namespace

int CLinkProtocol::SendAppText(CCallerFile &input, WindowHandle window)
{
    SetNotifyWindow(window);
    const int64_t size = input.Size();
    if (size > INT32_MAX)
        throw CFileError();
    m_totalSize = static_cast<int32_t>(size);
    NumberBlocksFrom(1);
    return ResultOf([&] {
        uint8_t *piece = WorkBuffer();
        uint64_t sent = 0;
        for (;;) {
            // Every byte of the piece is sent, zero bytes included: the text
            // is the file's bytes as stored.
            size_t n = input.ReadLine(piece, kPieceLimit);
            if (n == 0)
                break;
            CountSent(sent, n);
            if (piece[n - 1] == kEndOfText)
                --n;  // the stream's own end mark is sent once, at the end
            CallTrace().Bytes(TraceDirection::kSent, "text", static_cast<unsigned>(n));
            Send(piece, static_cast<unsigned>(n));
            NotifyProgress(n, m_totalSize);
        }
        NumberBlocksFrom(kUnnumbered);  // the end mark goes unnumbered
        CallTrace().Step(TraceDirection::kSent, "end of text");
        SendByte(kEndOfText);
    });
}

int CLinkProtocol::ReceiveAppText(CLinkFile &output, WindowHandle window)
{
    SetNotifyWindow(window);
    ExpectBlocksFrom(1);
    // A text receive in the raw modes ends only with the handheld's end mark;
    // a handheld gone silent fails it as a block receive fails in mode 1.
    CDeadline silence(kHandheldGoneMs);
    uint32_t received = 0;
    return ResultOf([&] {
        uint8_t *text = WorkBuffer();
        for (;;) {
            const int n = Receive(text, kWorkBufferSize, kTextReadTimeoutMs);
            NotifyProgress(static_cast<uintptr_t>(n), 0);
            // Every step counts, an empty block of mode 1 as one byte: a
            // handheld that never sends the end mark cannot keep the call.
            const uint32_t step = n > 0 ? static_cast<uint32_t>(n) : 1u;
            if (GetMode() == LinkMode::kFramed || n > 0) {
                if (step > m_receiveLimit - received)
                    throw CMyException(KIVO_ERR_BLOCK_RECV);
                received += step;
            }
            if (n > 0) {
                CallTrace().Bytes(TraceDirection::kReceived, "text", static_cast<unsigned>(n));
                output.Write(text, static_cast<size_t>(n));
                if (text[n - 1] == kEndOfText) {
                    CallTrace().Step(TraceDirection::kReceived, "end of text");
                    return;
                }
                silence.Restart();
            } else if (GetMode() != LinkMode::kFramed && silence.Passed()) {
                throw CMyException(KIVO_ERR_BLOCK_RECV);
            }
        }
    });
}
