// KIVO_REP_Analize: a labelled text laid out in a label and a value column.
#include <cstring>

#include "../include/tessalink.h"
#include "convert.h"
#include "layout.h"

char *RepAnalize(char *text, char *out, int32_t lineWidth, int32_t valueWidth,
                 const CodePageTables &codePage)
{
    StripMemHeader(text);
    char *o = out + std::strlen(out);
    const bool twoColumnText = std::strchr(text, '\t') != nullptr;
    SegmentReader segments(text);
    char *segment;
    size_t length;
    while (segments.Next(segment, length)) {
        const char *label = segment;
        size_t labelLength = 0;
        const char *value = segment;
        size_t valueLength = length;
        if (char *tab = static_cast<char *>(std::memchr(segment, '\t', length))) {
            *tab = 0;
            labelLength = static_cast<size_t>(tab - segment);
            value = tab + 1;
            valueLength = length - labelLength - 1;
        }
        for (;;) {  // one line each time round; the column mode decided afresh
            const bool twoColumn = labelLength > 0 || twoColumnText;
            const int32_t width = twoColumn ? valueWidth : lineWidth;
            size_t cut = valueLength;
            if (Wraps(valueLength, width))
                cut = CutLength(value, width, codePage);
            if (cut >= valueLength) {  // the segment's last line
                if (!twoColumn)
                    o = PutLine(o, value, valueLength);
                else if (labelLength == 0 && valueLength == 0)
                    o = PutLine(o, value, 0);
                else
                    o = PutLine(o, label, labelLength, value, valueLength);
                break;
            }
            o = twoColumn ? PutLine(o, label, labelLength, value, cut) : PutLine(o, value, cut);
            labelLength = 0;
            value += cut;
            valueLength -= cut;
        }
    }
    *o = 0;
    return o;
}

extern "C" KIVO_API char *KIVO_CALL KIVO_REP_Analize(char *text, char *out, int32_t lineWidth,
                                                     int32_t valueWidth)
{
    if (text == nullptr || out == nullptr)
        return nullptr;
    return RepAnalize(text, out, lineWidth, valueWidth, AnsiTables());
}
