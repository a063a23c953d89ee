// KIVO_MEM_Analize: a text laid out as lines of a fixed width.
#include <cstring>

#include "../include/tessalink.h"
#include "convert.h"
#include "layout.h"

char *MemAnalize(char *text, char *out, int32_t width, const CodePageTables &codePage)
{
    StripMemHeader(text);
    char *o = out + std::strlen(out);
    SegmentReader segments(text);
    char *rest;
    size_t length;
    while (segments.Next(rest, length)) {
        while (Wraps(length, width)) {
            const size_t cut = CutLength(rest, width, codePage);
            if (cut >= length)
                break;
            o = PutLine(o, rest, cut);
            rest += cut;
            length -= cut;
        }
        o = PutLine(o, rest, length);
    }
    *o = 0;
    return o;
}

extern "C" KIVO_API char *KIVO_CALL KIVO_MEM_Analize(char *text, char *out, int32_t width)
{
    if (text == nullptr || out == nullptr)
        return nullptr;
    return MemAnalize(text, out, width, AnsiTables());
}
