#include "layout.h"

#include <cstring>

#include "convert.h"

namespace {

constexpr size_t kLabelWidth = 12;

bool EndsSegment(char c)
{
    return c == 0 || c == 0x1F || c == '\r';
}

}  // namespace

bool SegmentReader::Next(char *&segment, size_t &length)
{
    if (*m_pos == 0)
        return false;
    char *end = m_pos;
    while (!EndsSegment(*end))
        ++end;
    segment = m_pos;
    length = static_cast<size_t>(end - m_pos);
    if (*end == 0) {
        m_pos = end + 1;  // the next string
    } else {
        *end = 0;
        // A separator just before its string's end ends that string: the
        // next segment is the next string's (the text ends in two zero bytes,
        // so end[2] exists).
        m_pos = end[1] == 0 ? end + 2 : end + 1;
    }
    return true;
}

size_t CutLength(const char *value, int32_t width, const CodePageTables &codePage)
{
    if (DoubleByteCutTest(value, width - 1, codePage) != 2)
        return static_cast<size_t>(width);
    return width > 1 ? static_cast<size_t>(width - 1) : 2;
}

char *PutLine(char *o, const char *value, size_t count)
{
    std::memcpy(o, value, count);
    o += count;
    *o++ = '\r';
    *o++ = '\n';
    return o;
}

char *PutLine(char *o, const char *label, size_t labelLength, const char *value, size_t count)
{
    const size_t shown = labelLength < kLabelWidth ? labelLength : kLabelWidth;
    std::memcpy(o, label, shown);
    std::memset(o + shown, ' ', kLabelWidth - shown);
    return PutLine(o + kLabelWidth, value, count);
}
