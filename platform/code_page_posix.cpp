// POSIX: the code page named by TESSALINK_CODEPAGE, else 932.
#include "code_page.h"

#include <cstdlib>

CodePageTables AnsiCodePage()
{
    return CodePageByNumber(CodePageFromEnvironmentValue(std::getenv("TESSALINK_CODEPAGE")));
}
