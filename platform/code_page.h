// The system's ANSI code page, as the conversions need it: which bytes begin a
// double-byte character (lead bytes) and which may follow one (trail bytes).
// Windows takes the code page in force (GetACP, GetCPInfo); POSIX takes the
// one named by the environment variable TESSALINK_CODEPAGE, else 932.
#ifndef TESSALINK_PLATFORM_CODE_PAGE_H
#define TESSALINK_PLATFORM_CODE_PAGE_H

#include <cstdint>

struct CodePageTables {
    uint32_t codePage = 0;
    bool lead[256] = {};   // byte begins a double-byte character
    bool trail[256] = {};  // byte may be the second byte of one

    bool IsLead(unsigned char b) const { return lead[b]; }
    bool IsTrail(unsigned char b) const { return trail[b]; }
};

// The tables of a code page known by number: 932 (Shift-JIS), 936, 949 and
// 950 are double-byte; every other number is single-byte (no lead bytes).
CodePageTables CodePageByNumber(uint32_t codePage);

// The code page that a value of TESSALINK_CODEPAGE names: a decimal number
// ("1252", "932"); null, empty or anything else names none and gives 932.
uint32_t CodePageFromEnvironmentValue(const char *value);

// The system's ANSI code page, classified (operating system: see above).
CodePageTables AnsiCodePage();

#endif
