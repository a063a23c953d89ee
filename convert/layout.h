// What KIVO_MEM_Analize and KIVO_REP_Analize share: the segments of the
// input text, the wrap rule and the writing of output lines.
#ifndef TESSALINK_CONVERT_LAYOUT_H
#define TESSALINK_CONVERT_LAYOUT_H

#include <cstddef>
#include <cstdint>

#include "../platform/code_page.h"

// The segments of a text (strings closed by an empty string), in order. Each
// separator (0x1F, CR) is overwritten with a zero byte as its segment is taken.
class SegmentReader {
public:
    explicit SegmentReader(char *text) : m_pos(text) {}
    // The next segment and its length; false when the text has ended.
    bool Next(char *&segment, size_t &length);

private:
    char *m_pos;
};

// The length of the line to cut off from a value at a wrap width (0 < width
// < the value's length): width, or width - 1 where a double-byte
// character begins at width - 1. At width 1 such a character makes a line of
// its own 2 bytes. A result of the value's length or more means: no cut,
// the rest is the last line.
size_t CutLength(const char *value, int32_t width, const CodePageTables &codePage);

// True if a value of length bytes is to be cut at width (wrapping is on and
// the value is longer than the width).
inline bool Wraps(size_t length, int32_t width)
{
    return width > 0 && length > static_cast<size_t>(width);
}

// Writes one output line at o: the 12-byte label field (two-column lines
// only), count bytes of value and CR LF. Returns the position after it.
char *PutLine(char *o, const char *value, size_t count);
char *PutLine(char *o, const char *label, size_t labelLength, const char *value, size_t count);

#endif
