#include "conventions.h"

namespace {

// Lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC. The trail byte of
// such a character can be 0x5C, the backslash (as in "ソ" or "表").
bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool NoLeadByte(unsigned char)
{
    return false;
}

}  // namespace

// "%s が見つかりません!!", "%s が起動できません!!" and "エラー" in code page 932.
const LauncherConventions kWindowsConventions = {
    '\\',
    IsCp932LeadByte,
    "%s\x20\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x21\x21",
    "%s\x20\x82\xaa\x8b\x4e\x93\xae\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x21\x21",
    "\x83\x47\x83\x89\x81\x5b",
};

const LauncherConventions kPosixConventions = {
    '/',
    NoLeadByte,
    "%s が見つかりません!!",
    "%s が起動できません!!",
    "エラー",
};
