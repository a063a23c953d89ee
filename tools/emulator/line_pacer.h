// A line of a chosen speed between the PC and the emulator (--pace): bytes
// cross it each way no faster than 10 bits per byte at that speed (a start
// bit, 8 data bits, a stop bit), so that the tool can be tried at the speed
// of a real cable on a pseudo-terminal, which has no speed of its own.
//
// Input read from the device is held until the line would have delivered it,
// in slices of about a millisecond, each handed on when its last byte would
// have arrived. Output is written in the same slices, each once its last byte
// would have crossed the line; the line sends one piece after another without
// a gap, and is idle when nothing waits. Times are microseconds on the
// emulator's steady clock.
#ifndef TESSALINK_TOOLS_EMULATOR_LINE_PACER_H
#define TESSALINK_TOOLS_EMULATOR_LINE_PACER_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace emulator {

class LinePacer {
public:
    // A baud of 0: no pacing, every byte passes at once.
    explicit LinePacer(unsigned baud);

    bool Paced() const { return m_byteUs != 0; }
    // The line time of one byte.
    uint64_t ByteUs() const { return m_byteUs; }

    // --- input ---
    // Bytes read at now, to be handed on once the line has delivered them.
    void Arrived(uint64_t now, const uint8_t *data, size_t size);
    // Whether the input held is enough that reading more may wait: the PC's
    // writes then wait in the device, as they would for a slow line.
    bool InputFull(uint64_t now) const;
    // The input whose last byte has arrived by now, oldest first; empty if none.
    std::vector<uint8_t> TakeDelivered(uint64_t now);

    // --- output ---
    // How many of the size bytes due to go out may be written at now: the
    // line starts carrying them now, or behind what it still carries.
    size_t Sendable(uint64_t now, size_t size);
    // The first count of them have been written.
    void Sent(size_t count);
    // Nothing is due to go out: the line falls idle.
    void OutputIdle() { m_carrying = false; }

    // When something next falls due, on either side (0: nothing waits).
    // waitingOutput is the number of bytes due to go out.
    uint64_t NextDue(size_t waitingOutput) const;

    // The PC closed the line: what was held is dropped and the line is idle.
    void Reset();

private:
    struct Slice {
        uint64_t due;
        std::vector<uint8_t> bytes;
    };

    size_t SliceBytes() const;
    uint64_t LineStart(uint64_t lineAt, uint64_t now) const;

    uint64_t m_byteUs;
    // Input: when the line delivers the last byte read; the slices held.
    uint64_t m_inAt = 0;
    std::deque<Slice> m_held;
    // Output: when the bytes written so far have crossed the line; whether
    // it carries more behind them.
    uint64_t m_outAt = 0;
    bool m_carrying = false;
};

}  // namespace emulator

#endif
