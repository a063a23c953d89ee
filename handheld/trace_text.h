// Bytes made readable for the trace lines of the handheld: printable ASCII as
// it is, anything else as a dot.
#ifndef TESSALINK_HANDHELD_TRACE_TEXT_H
#define TESSALINK_HANDHELD_TRACE_TEXT_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace handheld {

inline std::string Printable(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += (c >= 0x20 && c < 0x7F) ? c : '.';
    return out;
}

// The first count bytes (fewer if there are not so many).
inline std::string PrintableStart(const std::vector<uint8_t> &data, size_t count)
{
    const size_t n = std::min(count, data.size());
    return Printable(std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n)));
}

// A packet in a trace line: "#1 C FF (3 bytes)", its number, what it says
// and the length of its data.
inline std::string DescribedPacket(unsigned sequence, const std::string &summary, size_t dataBytes)
{
    return "#" + std::to_string(sequence) + " " + summary + " (" + std::to_string(dataBytes) +
           " bytes)";
}

}  // namespace handheld

#endif
