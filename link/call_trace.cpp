#include "call_trace.h"

#include <cstdio>
#include <new>

#include "packet_constants.h"
#include "trace_decoder.h"
#include "wire_words.h"

namespace {

const char *MarkOf(TraceDirection direction)
{
    return direction == TraceDirection::kSent ? "->" : "<-";
}

// What the PC sends is the PC's; what it receives, the handheld's.
TraceSender SenderOf(TraceDirection direction)
{
    return direction == TraceDirection::kSent ? TraceSender::kPc : TraceSender::kHandheld;
}

// A frame's block as the packet layer reads it: a whole packet, or one
// control byte; empty for anything else (application text, a broken packet).
std::string BlockContent(TraceSender sender, const uint8_t *block, unsigned length)
{
    if (block == nullptr || length == 0)
        return std::string();
    if (length == 1)
        return TraceControlName(block[0]);
    if (block[0] == kSoh && length >= kPacketFraming &&
        Le16(block + kPacketLengthAt) + kPacketFraming == length)
        return TraceWirePacketText(sender, block, length);
    return std::string();
}

std::string StartText(const char *call, int mode, int port, int baud)
{
    if (mode < 0)
        return std::string(call) + ": no mode selected";
    return std::string(call) + ": mode " + std::to_string(mode) + ", COM" + std::to_string(port) +
           ", " + std::to_string(baud) + " baud";
}

}  // namespace

CCallTrace::CCallTrace() : m_start(0), m_call("") {}

CCallTrace::~CCallTrace() = default;

template <typename Text>
void CCallTrace::Line(const char *mark, Text &&text) noexcept
{
    if (!m_file)
        return;
    try {
        Write(mark, text());
    } catch (const std::bad_alloc &) {
        m_file.reset();
    }
}

void CCallTrace::Begin(const char *call, int mode, int port, int baud) noexcept
{
    m_file.reset();
    try {
        std::string path;
        Platform &platform = CurrentPlatform();
        if (!platform.GetEnvironment(kTraceVariable, path) || path.empty())
            return;
        m_file = platform.OpenAppendFile(path.c_str());
        m_start = platform.TickCount();
        m_call = call;
    } catch (const std::bad_alloc &) {
        m_file.reset();
    }
    m_atStart = true;
    Line("call", [&] { return StartText(call, mode, port, baud); });
    m_atStart = false;
}

void CCallTrace::End(int result) noexcept
{
    Line("done", [&] { return std::string(m_call) + ": " + std::to_string(result); });
    m_file.reset();
}

void CCallTrace::Control(TraceDirection direction, uint8_t code) noexcept
{
    Line(MarkOf(direction), [&] { return TraceControlName(code); });
}

void CCallTrace::Packet(TraceDirection direction, const uint8_t *packet, unsigned count) noexcept
{
    Line(MarkOf(direction),
         [&] { return TraceWirePacketText(SenderOf(direction), packet, count); });
}

void CCallTrace::Frame(TraceDirection direction, unsigned number, const uint8_t *block,
                       unsigned length, const char *flaw) noexcept
{
    Line(MarkOf(direction), [&] {
        std::string text = TraceFrameText(number, length);
        const std::string content = BlockContent(SenderOf(direction), block, length);
        if (!content.empty())
            text += ": " + content;
        if (flaw != nullptr)
            text += std::string(" (") + flaw + ")";
        return text;
    });
}

void CCallTrace::Bytes(TraceDirection direction, const char *what, unsigned count) noexcept
{
    Line(MarkOf(direction),
         [&] { return std::string(what) + " " + std::to_string(count) + " bytes"; });
}

void CCallTrace::Step(TraceDirection direction, const char *what) noexcept
{
    Line(MarkOf(direction), [&] { return std::string(what); });
}

void CCallTrace::Write(const char *mark, const std::string &text)
{
    const uint32_t elapsed = m_atStart ? 0 : CurrentPlatform().TickCount() - m_start;
    char head[24];
    std::snprintf(head, sizeof head, "%7u %s ", static_cast<unsigned>(elapsed), mark);
    const std::string line = head + text + "\n";
    // A file that takes no more lines is given up for the rest of the call.
    if (!m_file->Write(line.data(), line.size()))
        m_file.reset();
}
