// KIVO_HEX2BIN_MEM and KIVO_HEX2BIN_FILE on any text: the output stays inside
// the documented bound (strlen / 2 + 1, exactly), the lone last digit never
// reads past the terminator, and file, memory and pieces agree.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t pieceSize = 1 + data[0] % 64;
    const bool toFile = (data[0] & 0x40) != 0;
    fuzz::ExactBuffer hex = fuzz::TextOf(std::string(reinterpret_cast<const char *>(data) + 1, size - 1));

    const size_t bound = std::strlen(hex.text()) / 2 + 1;
    fuzz::ExactBuffer out(bound);
    const int32_t count = KIVO_HEX2BIN_MEM(hex.text(), out.data());
    fuzz::Check(count >= 0 && static_cast<size_t>(count) + 1 == bound, "one byte per pair");
    fuzz::Check(out.data()[count] == 0, "a zero byte follows the bytes");
    const std::vector<uint8_t> converted(out.data(), out.data() + count);

    std::vector<uint8_t> pieced;
    static fuzz::ExactBuffer work(kWorkSize);
    HexPieces pieces(hex.text(), pieceSize);
    for (bool done = false; !done;) {
        size_t n = pieces.Next(work.data(), done);
        fuzz::Check(n <= kWorkSize, "a piece fits the work buffer");
        pieced.insert(pieced.end(), work.data(), work.data() + n);
    }
    fuzz::Check(pieced == converted, "piecewise conversion gives the same bytes");

    if (toFile) {
        fuzz::Check(KIVO_HEX2BIN_FILE(hex.text(), fuzz::ScratchFile().c_str()) == 0, "the file is written");
        fuzz::Check(fuzz::ReadWhole(fuzz::ScratchFile()) == converted, "the file holds the same bytes");
    }
    return 0;
}
