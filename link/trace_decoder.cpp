#include "trace_decoder.h"

#include <cstdio>
#include <cstring>

#include "control_codes.h"
#include "packet_constants.h"
#include "wire_words.h"

namespace {

constexpr unsigned kUnnumberedFrame = 0xFFFF;
// A command's data: "C" and its two-character code.
constexpr size_t kCommandSize = 3;
constexpr size_t kCodeSize = 3;

bool StartsWith(const uint8_t *data, size_t count, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return count >= n && std::memcmp(data, prefix, n) == 0;
}

// The first packet of the PC's turn, "R" + code + text + a zero that is the
// data's last byte and its only one. (A piece of a put, "RFD" + bytes, never
// comes first.)
bool IsRequest(unsigned sequence, const uint8_t *data, size_t count)
{
    return sequence == 1 && count > kCodeSize && data[0] == 'R' && data[count - 1] == 0 &&
           std::memchr(data + kCodeSize, 0, count - kCodeSize - 1) == nullptr;
}

std::string RequestSummary(const uint8_t *data, size_t count)
{
    std::string text = TracePrintable(data + kCodeSize, count - kCodeSize - 1);
    const bool inChunks = StartsWith(data, count, "RDL");
    const size_t bar = text.rfind('|');
    if (inChunks && bar != std::string::npos)
        text = text.substr(0, bar) + " size " + text.substr(bar + 1);
    return "R " + TracePrintable(data + 1, 2) + " " + text;
}

std::string PcPacketSummary(unsigned sequence, const uint8_t *data, size_t count)
{
    if (count == kCommandSize && data[0] == 'C')
        return "C " + TracePrintable(data + 1, 2);
    if (IsRequest(sequence, data, count))
        return RequestSummary(data, count);
    if (StartsWith(data, count, "RFD"))
        return "RFD " + std::to_string(count - kCodeSize) + " bytes of file";
    return TracePrintable(data, count < kCodeSize ? count : kCodeSize);
}

}  // namespace

std::string TracePrintable(const uint8_t *data, size_t count)
{
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i)
        out += (data[i] >= 0x20 && data[i] < 0x7F) ? static_cast<char>(data[i]) : '.';
    return out;
}

std::string TraceControlName(uint8_t code)
{
    switch (code) {
    case kSoh: return "SOH";
    case kEot: return "EOT";
    case kEnq: return "ENQ";
    case kAck: return "ACK";
    case kNak: return "NAK";
    case kSyn: return "SYN";
    case kCan: return "CAN";
    default: {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", code);
        return text;
    }
    }
}

std::string TracePacketText(TraceSender sender, unsigned sequence, const uint8_t *data,
                            size_t count)
{
    const std::string summary = sender == TraceSender::kPc
                                    ? PcPacketSummary(sequence, data, count)
                                    : TracePrintable(data, count < kCodeSize ? count : kCodeSize);
    return "#" + std::to_string(sequence) + " " + summary + " (" + std::to_string(count) +
           " bytes)";
}

std::string TraceWirePacketText(TraceSender sender, const uint8_t *packet, size_t count)
{
    if (count < kPacketHeaderSize)
        return "packet cut short after " + std::to_string(count) + " bytes";
    const uint8_t sequence = packet[kPacketSequenceAt];
    const size_t claimed = Le16(packet + kPacketLengthAt);
    const size_t present = count - kPacketHeaderSize;
    const size_t length = claimed < present ? claimed : present;
    std::string text = TracePacketText(sender, sequence, packet + kPacketHeaderSize, length);
    if ((packet[kPacketComplementAt] ^ 0xFF) != sequence)
        text += " wrong complement";
    if (claimed + kPacketTrailerSize > present)
        return text + " cut short";
    const uint8_t *sum = packet + kPacketHeaderSize + claimed;
    if (Le16(sum) != Sum16(packet + kPacketHeaderSize, static_cast<unsigned>(claimed)))
        text += " wrong checksum";
    return text;
}

std::string TraceFrameText(unsigned number, size_t length)
{
    const std::string numbered =
        number == kUnnumberedFrame ? std::string("unnumbered") : "#" + std::to_string(number);
    return "data " + numbered + " length " + std::to_string(length);
}
