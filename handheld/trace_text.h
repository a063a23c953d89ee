// Bytes and packets made readable for the trace lines of the handheld, in the
// words of the library's trace decoder: the PC's trace file and the
// handheld's trace describe a conversation alike.
#ifndef TESSALINK_HANDHELD_TRACE_TEXT_H
#define TESSALINK_HANDHELD_TRACE_TEXT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/trace_decoder.h"

namespace handheld {

// Printable ASCII as it is, anything else as a dot.
inline std::string Printable(const std::string &text)
{
    return TracePrintable(reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

// The first count bytes (fewer if there are not so many).
inline std::string PrintableStart(const std::vector<uint8_t> &data, size_t count)
{
    return TracePrintable(data.data(), std::min(count, data.size()));
}

// A packet in a trace line: "#1 C FF (3 bytes)", its number, what it says
// and the length of its data.
inline std::string DescribedPacket(TraceSender sender, unsigned sequence,
                                   const std::vector<uint8_t> &data)
{
    return TracePacketText(sender, sequence, data.data(), data.size());
}

}  // namespace handheld

#endif
