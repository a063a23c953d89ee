// The handheld's view of the mode-1 frames: building them to send, and a
// parser that takes the line's bytes one at a time and yields whole frames.
#ifndef TESSALINK_HANDHELD_FRAMES_H
#define TESSALINK_HANDHELD_FRAMES_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace handheld {

namespace wire {
constexpr uint8_t kSync = 0x96;
constexpr uint8_t kEnq = 0x05;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSyn = 0x16;
constexpr uint8_t kCan = 0x18;
constexpr uint16_t kUnnumbered = 0xFFFF;
constexpr uint8_t kKindControl = 0x2;  // the kind's low nibble
constexpr uint8_t kKindData = 0x1;
// A data frame, after its kind: the sub-kind, the fields (16-bit block
// number, three fixed bytes, 16-bit block length), the block, and its 16-bit
// checksum.
constexpr uint8_t kDataSubKind = 0x10;
constexpr uint8_t kDataFixedBytes[3] = {0x01, 0x40, 0xFE};
constexpr size_t kFieldNumberAt = 0;
constexpr size_t kFieldLengthAt = 5;
constexpr size_t kDataFieldsSize = 7;
constexpr size_t kBlockChecksumSize = 2;
}  // namespace wire

// How the handheld dresses the frames it sends; the defaults are the plain
// form, the rest exercise what a receiver must also accept.
struct FrameStyle {
    unsigned leadingZeros = 5;
    uint8_t kindHighNibble = 0x8;  // 0x8 or 0x9
    std::vector<uint8_t> noise;    // sent before each frame's header
};

std::vector<uint8_t> BuildControlFrame(uint8_t code, const FrameStyle &style = FrameStyle());
std::vector<uint8_t> BuildDataFrame(const std::vector<uint8_t> &data, uint16_t sequence,
                                    const FrameStyle &style = FrameStyle(), bool wrongSum = false);
// Any header: kind byte given whole (for kinds that are neither data nor control).
std::vector<uint8_t> BuildHeader(uint8_t kindByte, unsigned leadingZeros = 5);

struct Frame {
    enum Type { kControl, kData } type = kControl;
    uint8_t code = 0;  // control frames
    uint8_t subKind = 0;
    uint16_t sequence = 0;
    std::vector<uint8_t> data;
    bool sumMatches = false;
};

class FrameParser {
public:
    // Takes one byte; true when it completed a frame, which Take() then gives.
    bool Feed(uint8_t byte);
    Frame Take() { return m_frame; }
    // True between frames, where a byte belongs to no frame.
    bool Idle() const { return m_state == kIdle; }
    void Reset() { m_state = kIdle; }

private:
    enum State { kIdle, kZeros, kSync, kCode, kSubKind, kFields, kData, kSum };

    State m_state = kIdle;
    Frame m_frame;
    uint8_t m_fields[wire::kDataFieldsSize] = {};
    size_t m_got = 0;
    size_t m_length = 0;
    uint8_t m_sum[wire::kBlockChecksumSize] = {};
};

}  // namespace handheld

#endif
