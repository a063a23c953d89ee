// Internal interface of the conversions. The exports in the
// public header are thin wrappers over these; tests call them directly, for
// example with the tables of another code page.
#ifndef TESSALINK_CONVERT_CONVERT_H
#define TESSALINK_CONVERT_CONVERT_H

#include <cstddef>
#include <cstdint>

#include "../include/tessalink.h"
#include "../platform/code_page.h"

// The system's ANSI code page, taken once when the library is loaded.
const CodePageTables &AnsiTables();

// Decodes a 4-to-3 text into out (zero byte appended); the count.
int32_t FourToThree(const char *text, uint8_t *out);
// Converts hexadecimal digit pairs into out (zero byte appended);
// the count. A lone last digit gives nothing.
int32_t HexToBinary(const char *hex, uint8_t *out);

// The FILE variants convert their text piece by piece through a work buffer
// of kWorkSize bytes and write each piece's bytes to the file.
constexpr size_t kWorkSize = 64 * 1024;

class PieceConverter {
public:
    virtual ~PieceConverter() = default;
    // Converts the next piece of the text into work (kWorkSize bytes) and
    // returns the number of bytes stored; sets done with the text's last piece.
    virtual size_t Next(uint8_t *work, bool &done) = 0;
};

// The 4-to-3 decoder in pieces of at most pieceSize text bytes (a group may
// span pieces). pieceSize is at most kWorkSize; smaller values are for tests.
class FourToThreePieces final : public PieceConverter {
public:
    explicit FourToThreePieces(const char *text, size_t pieceSize = kWorkSize);
    size_t Next(uint8_t *work, bool &done) override;

private:
    const uint8_t *m_pos, *m_end;
    size_t m_pieceSize;
    uint32_t m_value[4];  // the values of an unfinished group
    int m_count;
};

// The hex conversion in pieces of at most pieceSize output bytes.
class HexPieces final : public PieceConverter {
public:
    explicit HexPieces(const char *hex, size_t pieceSize = kWorkSize);
    size_t Next(uint8_t *work, bool &done) override;

private:
    const uint8_t *m_pos;
    size_t m_pairs, m_pieceSize;
};

// The body of both FILE variants: allocates the work buffer, creates (or
// empties) fileName, writes it binary with the converter's bytes and closes it.
// 0 on success, KIVO_ERR_FILE (-500) on any failure (a null file name, no work
// buffer, the file not created or not fully written, memory running out); no
// exception leaves it, and any other than running out of memory would be a
// fault of the library, not passed off as a result.
// allocate (tests) replaces the allocation of the work buffer; it returns
// memory from new[] or null, or throws.
typedef uint8_t *(*WorkAllocator)(size_t size);
int32_t WritePieces(PieceConverter &converter, const char *fileName,
                    WorkAllocator allocate = nullptr) noexcept;

// The MEM and FILE exports around a conversion, with their results for null
// pointers: -999 (MEM), -500 (FILE).
int32_t ConvertToMemory(int32_t (*convert)(const char *, uint8_t *), const char *text, uint8_t *out);
template <class Pieces>
int32_t ConvertToFile(const char *text, const char *fileName)
{
    if (text == nullptr)
        return KIVO_ERR_FILE;
    Pieces pieces(text);
    return WritePieces(pieces, fileName);
}

// Masks text in place (KIVO_CodeMask) with the given code page.
void CodeMask(char *text, const CodePageTables &codePage);

// The layouts (KIVO_MEM_Analize, KIVO_REP_Analize) with the given code page,
// and their two helpers.
void StripMemHeader(char *text);
int DoubleByteCutTest(const char *rest, int n, const CodePageTables &codePage);
char *MemAnalize(char *text, char *out, int32_t width, const CodePageTables &codePage);
char *RepAnalize(char *text, char *out, int32_t lineWidth, int32_t valueWidth,
                 const CodePageTables &codePage);

#endif
