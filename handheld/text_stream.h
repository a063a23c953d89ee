// The application-text stream as the handheld sends it: the text followed by
// the end mark 0x1A, cut into the units that go on the line.
#ifndef TESSALINK_HANDHELD_TEXT_STREAM_H
#define TESSALINK_HANDHELD_TEXT_STREAM_H

#include <cstdint>
#include <vector>

namespace handheld {

// Modes 0 and 2: one unit. Mode 1: data frames of at most 512 bytes. The PC
// takes a receive step whose last byte is 0x1A as the end of the stream, so
// no unit but the last may end with a 0x1A of the text: such a unit is cut
// one byte shorter.
std::vector<std::vector<uint8_t>> TextUnits(const std::vector<uint8_t> &text, bool framed);

}  // namespace handheld

#endif
