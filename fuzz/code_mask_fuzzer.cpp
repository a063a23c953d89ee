// KIVO_CodeMask on any text, in code page 932 through the export and in the
// other code pages through the same routine: it never reads or writes past
// the terminator and never makes the text longer.
#include <cstdint>
#include <cstring>
#include <string>

#include "convert/convert.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const uint32_t kOtherCodePages[] = {936, 949, 950, 1252};
    const unsigned choice = data[0] % 5;
    fuzz::ExactBuffer text = fuzz::TextOf(std::string(reinterpret_cast<const char *>(data) + 1, size - 1));
    const size_t before = std::strlen(text.text());

    if (choice == 0) {
        fuzz::Check(KIVO_CodeMask(text.text()) == 0, "the result is 0");
    } else {
        static const CodePageTables tables[] = {
            CodePageByNumber(kOtherCodePages[0]), CodePageByNumber(kOtherCodePages[1]),
            CodePageByNumber(kOtherCodePages[2]), CodePageByNumber(kOtherCodePages[3])};
        CodeMask(text.text(), tables[choice - 1]);
    }
    fuzz::Check(std::strlen(text.text()) <= before, "the text never grows");
    return 0;
}
