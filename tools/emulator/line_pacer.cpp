#include "line_pacer.h"

#include <algorithm>

namespace emulator {

namespace {

constexpr uint64_t kBitsPerByte = 10;
constexpr uint64_t kSliceUs = 1000;
// Input held beyond this much line time is not read for now.
constexpr uint64_t kHeldInputUs = 100000;

}  // namespace

LinePacer::LinePacer(unsigned baud)
    : m_byteUs(baud == 0 ? 0 : (kBitsPerByte * 1000000 + baud - 1) / baud)
{
}

size_t LinePacer::SliceBytes() const
{
    return static_cast<size_t>(std::max<uint64_t>(1, kSliceUs / m_byteUs));
}

// A line that has been idle starts with the bytes now; a busy one carries
// them behind what it is still carrying.
uint64_t LinePacer::LineStart(uint64_t lineAt, uint64_t now) const
{
    return std::max(lineAt, now);
}

void LinePacer::Arrived(uint64_t now, const uint8_t *data, size_t size)
{
    const size_t slice = SliceBytes();
    m_inAt = LineStart(m_inAt, now);
    for (size_t at = 0; at < size; at += slice) {
        const size_t n = std::min(slice, size - at);
        m_inAt += n * m_byteUs;
        m_held.push_back({m_inAt, std::vector<uint8_t>(data + at, data + at + n)});
    }
}

bool LinePacer::InputFull(uint64_t now) const
{
    return Paced() && m_inAt > now + kHeldInputUs;
}

std::vector<uint8_t> LinePacer::TakeDelivered(uint64_t now)
{
    std::vector<uint8_t> out;
    while (!m_held.empty() && m_held.front().due <= now) {
        const std::vector<uint8_t> &bytes = m_held.front().bytes;
        out.insert(out.end(), bytes.begin(), bytes.end());
        m_held.pop_front();
    }
    return out;
}

size_t LinePacer::Sendable(uint64_t now, size_t size)
{
    if (!Paced())
        return size;
    if (!m_carrying) {
        m_outAt = LineStart(m_outAt, now);
        m_carrying = true;
    }
    // The slice goes out once its last byte has crossed the line.
    const size_t n = std::min(SliceBytes(), size);
    return m_outAt + n * m_byteUs <= now ? n : 0;
}

void LinePacer::Sent(size_t count)
{
    if (Paced())
        m_outAt += count * m_byteUs;
}

uint64_t LinePacer::NextDue(size_t waitingOutput) const
{
    uint64_t next = 0;
    if (!m_held.empty())
        next = m_held.front().due;
    if (Paced() && m_carrying && waitingOutput > 0) {
        const uint64_t out = m_outAt + std::min(SliceBytes(), waitingOutput) * m_byteUs;
        next = next == 0 ? out : std::min(next, out);
    }
    return next;
}

void LinePacer::Reset()
{
    m_held.clear();
    m_inAt = 0;
    m_outAt = 0;
    m_carrying = false;
}

}  // namespace emulator
