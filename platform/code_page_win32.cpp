// Windows: the ANSI code page in force; its lead bytes from GetCPInfo, its
// trail bytes from the built-in entry (that of 932 for a double-byte code
// page without one).
#include "code_page.h"

#include <windows.h>

CodePageTables AnsiCodePage()
{
    const UINT acp = ::GetACP();
    CodePageTables tables = CodePageByNumber(acp);
    CPINFO info;
    if (::GetCPInfo(CP_ACP, &info) == 0)
        return tables;
    const CodePageTables fallback = CodePageByNumber(932);
    bool anyLead = false, anyTrail = false;
    for (int b = 0; b < 256; ++b) {
        tables.lead[b] = false;
        anyTrail = anyTrail || tables.trail[b];
    }
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            tables.lead[b] = anyLead = true;
    }
    for (int b = 0; b < 256; ++b)
        tables.trail[b] = anyLead && (anyTrail ? tables.trail[b] : fallback.trail[b]);
    return tables;
}
