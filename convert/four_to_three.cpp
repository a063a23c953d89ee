// The 4-to-3 decoder and its two exports.
#include <cstring>

#include "../include/tessalink.h"
#include "convert.h"

namespace {

constexpr uint8_t kSkip = 0xFF;  // a byte outside the alphabet

// The value of every byte: 0-63 for the alphabet, kSkip for the rest.
struct AlphabetValues {
    uint8_t value[256];
    constexpr AlphabetValues() : value()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = kSkip;
        for (int c = '0'; c <= '5'; ++c)
            value[c] = static_cast<uint8_t>(c - 0x30);
        for (int c = 'A'; c <= 'Z'; ++c)
            value[c] = static_cast<uint8_t>(c - 0x3B);
        for (int c = '6'; c <= ';'; ++c)
            value[c] = static_cast<uint8_t>(c - 0x16);
        for (int c = 'a'; c <= 'z'; ++c)
            value[c] = static_cast<uint8_t>(c - 0x3B);
    }
};
constexpr AlphabetValues kAlphabet;

// A byte: the low six bits from low, the top two from bits (shift+1, shift)
// of the carrier.
inline uint8_t Byte(uint32_t low, uint32_t carrier, int shift)
{
    return static_cast<uint8_t>(low | ((carrier << (6 - shift)) & 0xC0));
}

// Stores the bytes of a group of count values (4 give 3, 3 give 2, 2 give 1,
// 1 or 0 none): the last value carries the top bits.
inline uint8_t *Group(const uint32_t *value, int count, uint8_t *o)
{
    if (count >= 2)
        *o++ = Byte(value[0], value[count - 1], 4);
    if (count >= 3)
        *o++ = Byte(value[1], value[count - 1], 2);
    if (count == 4)
        *o++ = Byte(value[2], value[3], 0);
    return o;
}

// Decodes the text bytes [s, end) into o, going on with the unfinished group
// in value/count and leaving the one at the end there. Returns the new o.
uint8_t *DecodeRange(const uint8_t *s, const uint8_t *const end, uint32_t *value, int &count, uint8_t *o)
{
    const uint8_t *const v = kAlphabet.value;
    for (;;) {
        // Collect a group character by character, skipping the rest.
        while (count < 4 && s < end) {
            const uint8_t x = v[*s++];
            if (x != kSkip)
                value[count++] = x;
        }
        if (count < 4)
            return o;
        o = Group(value, 4, o);
        count = 0;
        // Then whole groups of four alphabet characters in a row.
        while (end - s >= 4) {
            const uint32_t a = v[s[0]], b = v[s[1]], c = v[s[2]], d = v[s[3]];
            if (((a | b | c | d) & 0xC0) != 0)
                break;
            o[0] = Byte(a, d, 4);
            o[1] = Byte(b, d, 2);
            o[2] = Byte(c, d, 0);
            o += 3;
            s += 4;
        }
    }
}

}  // namespace

int32_t FourToThree(const char *text, uint8_t *out)
{
    const uint8_t *s = reinterpret_cast<const uint8_t *>(text);
    uint32_t value[4];
    int count = 0;
    uint8_t *o = DecodeRange(s, s + std::strlen(text), value, count, out);
    o = Group(value, count, o);  // a short last group
    *o = 0;
    return static_cast<int32_t>(o - out);
}

FourToThreePieces::FourToThreePieces(const char *text, size_t pieceSize)
    : m_pos(reinterpret_cast<const uint8_t *>(text)), m_end(m_pos + std::strlen(text)),
      m_pieceSize(pieceSize), m_value(), m_count(0)
{
}

// A piece of n text bytes and the unfinished group give at most 3 x (n + 3) / 4
// bytes, within the work buffer.
size_t FourToThreePieces::Next(uint8_t *work, bool &done)
{
    const size_t n = static_cast<size_t>(m_end - m_pos) < m_pieceSize ? static_cast<size_t>(m_end - m_pos)
                                                                      : m_pieceSize;
    uint8_t *o = DecodeRange(m_pos, m_pos + n, m_value, m_count, work);
    m_pos += n;
    done = m_pos == m_end;
    if (done)
        o = Group(m_value, m_count, o);
    return static_cast<size_t>(o - work);
}

extern "C" KIVO_API int32_t KIVO_CALL KIVO_4TO3_MEM(const char *text, uint8_t *out)
{
    return ConvertToMemory(FourToThree, text, out);
}

extern "C" KIVO_API int32_t KIVO_CALL KIVO_4TO3_FILE(const char *text, const char *fileName)
{
    return ConvertToFile<FourToThreePieces>(text, fileName);
}
