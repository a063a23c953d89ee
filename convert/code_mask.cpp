// KIVO_CodeMask: the code mask, in one pass: bytes are read at r and written at
// w <= r, so a removal never moves the rest of the text.
//
// At each character start, in this order: a byte of the unassigned or
// extension rows (RemovesPartner) becomes one space and takes the byte after
// it with it; a double-byte character in one of the masked ranges
// (MaskedPair) becomes two spaces; any other double-byte character, and any
// other single byte, stays.
#include "../include/tessalink.h"
#include "convert.h"

namespace {

bool RemovesPartner(uint8_t b)
{
    return b == 0xEB || b == 0xEC || b == 0xFC || b == 0xFD;
}

bool MaskedPair(uint32_t code)
{
    return (code >= 0x9873 && code <= 0x989E) || (code >= 0xED40 && code <= 0xED75);
}

}  // namespace

void CodeMask(char *text, const CodePageTables &codePage)
{
    uint8_t *const s = reinterpret_cast<uint8_t *>(text);
    size_t r = 0, w = 0;
    for (;;) {
        const uint8_t b = s[r];
        if (b == 0)
            break;
        if (RemovesPartner(b)) {  // one space; the byte after it removed
            s[w++] = ' ';
            ++r;
            if (s[r] != 0)
                ++r;
        } else if (codePage.IsLead(b)) {
            const uint8_t t = s[r + 1];
            if (t == 0) {  // a lead byte before the terminator stays
                s[w++] = b;
                break;
            }
            const bool masked = MaskedPair(static_cast<uint32_t>(b) << 8 | t);
            s[w] = masked ? ' ' : b;
            s[w + 1] = masked ? ' ' : t;
            w += 2;
            r += 2;
        } else {  // a single byte
            s[w++] = b;
            ++r;
        }
    }
    s[w] = 0;
}

extern "C" KIVO_API int32_t KIVO_CALL KIVO_CodeMask(char *text)
{
    if (text == nullptr)
        return KIVO_ERR_NO_CONNECTION;
    CodeMask(text, AnsiTables());
    return 0;
}
