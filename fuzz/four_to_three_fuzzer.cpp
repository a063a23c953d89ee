// KIVO_4TO3_MEM and KIVO_4TO3_FILE on any text: the output stays inside the
// bound the header documents (exactly, so AddressSanitizer sees the first
// byte past it), and the file, the memory and the piecewise decoder agree.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "fuzz_support.h"

namespace {

bool InAlphabet(unsigned char c)
{
    return (c >= '0' && c <= ';') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// 3 bytes per group of four alphabet characters, 2 or 1 for a last group of
// 3 or 2, plus the zero byte.
size_t DocumentedBound(const char *text)
{
    size_t n = 0;
    for (const char *p = text; *p != '\0'; ++p)
        n += InAlphabet(static_cast<unsigned char>(*p)) ? 1 : 0;
    static const size_t kTail[] = {0, 0, 1, 2};
    return n / 4 * 3 + kTail[n % 4] + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t pieceSize = 1 + data[0] % 64;
    const bool toFile = (data[0] & 0x40) != 0;
    fuzz::ExactBuffer text = fuzz::TextOf(std::string(reinterpret_cast<const char *>(data) + 1, size - 1));

    const size_t bound = DocumentedBound(text.text());
    fuzz::ExactBuffer out(bound);
    const int32_t count = KIVO_4TO3_MEM(text.text(), out.data());
    fuzz::Check(count >= 0 && static_cast<size_t>(count) + 1 == bound, "the count fills the bound");
    fuzz::Check(out.data()[count] == 0, "a zero byte follows the bytes");
    const std::vector<uint8_t> decoded(out.data(), out.data() + count);

    std::vector<uint8_t> pieced;
    static fuzz::ExactBuffer work(kWorkSize);
    FourToThreePieces pieces(text.text(), pieceSize);
    for (bool done = false; !done;) {
        size_t n = pieces.Next(work.data(), done);
        fuzz::Check(n <= kWorkSize, "a piece fits the work buffer");
        pieced.insert(pieced.end(), work.data(), work.data() + n);
    }
    fuzz::Check(pieced == decoded, "piecewise decoding gives the same bytes");

    if (toFile) {
        fuzz::Check(KIVO_4TO3_FILE(text.text(), fuzz::ScratchFile().c_str()) == 0, "the file is written");
        fuzz::Check(fuzz::ReadWhole(fuzz::ScratchFile()) == decoded, "the file holds the same bytes");
    }
    return 0;
}
