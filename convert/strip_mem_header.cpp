// StripMemHeader: drops the "MEM1:" header; 0x1E then ends the text.
#include <cstring>

#include "convert.h"

namespace {

bool HasMemHeader(const char *text)
{
    static const char kHeader[] = "mem1:";
    for (int i = 0; i < 5; ++i) {
        char c = text[i];  // stops at the terminator: it matches nothing
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kHeader[i])
            return false;
    }
    return true;
}

// The length of the whole text: its strings and their zero bytes, up to and
// including the closing empty string.
size_t TextLength(const char *text)
{
    const char *p = text;
    while (*p != 0)
        p += std::strlen(p) + 1;
    return static_cast<size_t>(p - text) + 1;
}

}  // namespace

void StripMemHeader(char *text)
{
    if (!HasMemHeader(text))
        return;
    const size_t first = std::strlen(text) - 5;  // the first string without the header
    // The whole text moves, every string of it: moving only the first string
    // (and one byte) would leave the header's old bytes in front of the rest.
    std::memmove(text, text + 5, TextLength(text) - 5);
    char *rs = static_cast<char *>(std::memchr(text, 0x1E, first));
    if (rs != nullptr) {  // the text ends at the record separator
        rs[0] = 0;
        rs[1] = 0;
    }
}
