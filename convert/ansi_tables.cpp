// The code page of the conversions, taken when the library is loaded.
#include "convert.h"

namespace {
const CodePageTables g_ansi = AnsiCodePage();
}

const CodePageTables &AnsiTables()
{
    return g_ansi;
}
