// The hex-to-binary conversion and its two exports.
#include <cstring>

#include "../include/tessalink.h"
#include "convert.h"

namespace {

// The digit value of every byte, modulo 256: the code read as a signed 8-bit
// value, less 0x37 from 0x41 up, else less 0x30.
struct DigitValues {
    uint8_t value[256];
    constexpr DigitValues() : value()
    {
        for (int c = 0; c < 256; ++c) {
            const int code = c < 128 ? c : c - 256;
            value[c] = static_cast<uint8_t>((code >= 0x41 ? code - 0x37 : code - 0x30) & 0xFF);
        }
    }
};
constexpr DigitValues kDigits;

// Converts pairs digit pairs from s into out.
void ConvertPairs(const uint8_t *s, size_t pairs, uint8_t *out)
{
    const uint8_t *const v = kDigits.value;
    for (size_t i = 0; i < pairs; ++i)
        out[i] = static_cast<uint8_t>((v[s[2 * i]] << 4) + v[s[2 * i + 1]]);
}

}  // namespace

// Only whole pairs count: a lone last digit has no partner and gives nothing.
int32_t HexToBinary(const char *hex, uint8_t *out)
{
    const size_t pairs = std::strlen(hex) / 2;
    ConvertPairs(reinterpret_cast<const uint8_t *>(hex), pairs, out);
    out[pairs] = 0;
    return static_cast<int32_t>(pairs);
}

HexPieces::HexPieces(const char *hex, size_t pieceSize)
    : m_pos(reinterpret_cast<const uint8_t *>(hex)), m_pairs(std::strlen(hex) / 2), m_pieceSize(pieceSize)
{
}

size_t HexPieces::Next(uint8_t *work, bool &done)
{
    const size_t n = m_pairs < m_pieceSize ? m_pairs : m_pieceSize;
    ConvertPairs(m_pos, n, work);
    m_pos += 2 * n;
    m_pairs -= n;
    done = m_pairs == 0;
    return n;
}

extern "C" KIVO_API int32_t KIVO_CALL KIVO_HEX2BIN_MEM(const char *hex, uint8_t *out)
{
    return ConvertToMemory(HexToBinary, hex, out);
}

extern "C" KIVO_API int32_t KIVO_CALL KIVO_HEX2BIN_FILE(const char *hex, const char *fileName)
{
    return ConvertToFile<HexPieces>(hex, fileName);
}
