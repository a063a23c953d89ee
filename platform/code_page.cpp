// The built-in classification of code pages by number (portable).
#include "code_page.h"

#include <cerrno>
#include <cstdlib>

namespace {

struct Range {
    unsigned char first, last;
};

struct KnownCodePage {
    uint32_t number;
    Range lead[2];
    Range trail[3];
};

// Lead and trail byte ranges of the double-byte code pages, as the run-time
// library's multibyte character-type tables give them ({0, 0}: no range).
const KnownCodePage kKnown[] = {
    {932, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}, {0, 0}}},
    {936, {{0x81, 0xFE}, {0, 0}}, {{0x40, 0x7E}, {0x80, 0xFE}, {0, 0}}},
    {949, {{0x81, 0xFE}, {0, 0}}, {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}}},
    {950, {{0x81, 0xFE}, {0, 0}}, {{0x40, 0x7E}, {0xA1, 0xFE}, {0, 0}}},
};

void Mark(bool *table, Range range)
{
    if (range.first == 0)
        return;
    for (unsigned b = range.first; b <= range.last; ++b)
        table[b] = true;
}

}  // namespace

CodePageTables CodePageByNumber(uint32_t codePage)
{
    CodePageTables tables;
    tables.codePage = codePage;
    for (const KnownCodePage &known : kKnown) {
        if (known.number != codePage)
            continue;
        for (Range r : known.lead)
            Mark(tables.lead, r);
        for (Range r : known.trail)
            Mark(tables.trail, r);
    }
    return tables;
}

uint32_t CodePageFromEnvironmentValue(const char *value)
{
    constexpr uint32_t kDefault = 932;
    if (value == nullptr || *value < '0' || *value > '9')
        return kDefault;
    errno = 0;
    char *end = nullptr;
    unsigned long number = std::strtoul(value, &end, 10);
    if (errno != 0 || *end != '\0' || number == 0 || number > 65535)
        return kDefault;
    return static_cast<uint32_t>(number);
}
