// DoubleByteCutTest: where a wrap may cut a line without splitting a
// double-byte character.
#include "convert.h"

int DoubleByteCutTest(const char *rest, int n, const CodePageTables &codePage)
{
    const uint8_t *s = reinterpret_cast<const uint8_t *>(rest);
    int pos = 0, start = 0;
    bool doubleByte = false;
    while (pos <= n) {
        if (s[pos] == 0)  // never past the terminator (the caller guarantees it lies after n)
            return 1;
        start = pos;
        doubleByte = codePage.IsLead(s[pos]) && codePage.IsTrail(s[pos + 1]);
        pos += doubleByte ? 2 : 1;
    }
    if (start < n)
        return 0;
    return doubleByte ? 2 : 1;
}
