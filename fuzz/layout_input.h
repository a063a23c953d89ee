// The input of the two layouts, taken from fuzz bytes: a text of strings
// closed by an empty string, a text already in the output buffer, and the
// output buffer sized by the header's bound exactly.
#ifndef TESSALINK_FUZZ_LAYOUT_INPUT_H
#define TESSALINK_FUZZ_LAYOUT_INPUT_H

#include <cstdint>
#include <cstring>
#include <string>

#include "convert/convert.h"
#include "fuzz_support.h"

namespace fuzz {

struct LayoutInput {
    ExactBuffer text;
    ExactBuffer out;
    size_t already;  // length of the text already in out
};

// bytes as the text (zero bytes inside end its strings) with two zero bytes
// after it; out holding `already` bytes of text and room for perByte x T + 1
// more, T being the text's length up to its closing empty string.
inline LayoutInput MakeLayoutInput(const uint8_t *bytes, size_t size, size_t already, size_t perByte)
{
    LayoutInput in{ExactBuffer(size + 2), ExactBuffer(1), already};
    std::memcpy(in.text.data(), bytes, size);
    in.text.data()[size] = 0;
    in.text.data()[size + 1] = 0;
    size_t t = 0;
    while (in.text.data()[t] != 0)
        t += std::strlen(in.text.text() + t) + 1;
    in.out = ExactBuffer(already + perByte * t + 1);
    std::memset(in.out.data(), 'o', already);
    in.out.data()[already] = 0;
    return in;
}

// The layout returned the end of out, and every new line ends with CR LF and
// holds at most longest bytes before it (no limit when longest is 0).
inline void CheckLayout(LayoutInput &in, const char *end, size_t longest)
{
    const char *start = in.out.text();
    const size_t total = std::strlen(start);
    Check(total < in.out.size(), "the output stays inside its bound");
    Check(end == start + total, "the result points at the output's zero byte");
    const char *p = start + in.already;
    while (*p != '\0') {
        const char *lineEnd = std::strstr(p, "\r\n");
        Check(lineEnd != nullptr, "every line ends with CR LF");
        Check(longest == 0 || static_cast<size_t>(lineEnd - p) <= longest, "a line fits its width");
        p = lineEnd + 2;
    }
}

// The code page of one run: 932 through the export, or another through the
// same routine.
inline const CodePageTables *OtherCodePage(uint8_t b)
{
    static const CodePageTables tables[] = {CodePageByNumber(936), CodePageByNumber(949),
                                            CodePageByNumber(950), CodePageByNumber(1252)};
    unsigned choice = b % 5;
    return choice == 0 ? nullptr : &tables[choice - 1];
}

}  // namespace fuzz

#endif
