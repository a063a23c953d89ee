// The MEM and FILE exports of the 4-to-3 and hex conversions: the FILE
// variants convert piece by piece through a work buffer and write each
// piece's bytes into a new file.
#include <cstdio>
#include <memory>
#include <new>

#if defined(_WIN32)
#include <share.h>  // run-time library: _SH_DENYRW for _fsopen
#endif

#include "../include/tessalink.h"
#include "convert.h"

namespace {

// Creates or empties the file for writing only, binary, shared with no other
// opener while it is open (Windows; POSIX has no such exclusion).
std::FILE *CreateExclusive(const char *fileName)
{
#if defined(_WIN32)
    return ::_fsopen(fileName, "wb", _SH_DENYRW);
#else
    return std::fopen(fileName, "wb");
#endif
}

int32_t Write(PieceConverter &converter, const char *fileName, WorkAllocator allocate)
{
    // The buffer first: without it the file is left untouched.
    std::unique_ptr<uint8_t[]> work(allocate != nullptr ? allocate(kWorkSize)
                                                        : new (std::nothrow) uint8_t[kWorkSize]);
    if (!work)
        return KIVO_ERR_FILE;
    std::FILE *file = CreateExclusive(fileName);
    if (file == nullptr)
        return KIVO_ERR_FILE;
    bool written = true, done = false;
    while (written && !done) {
        const size_t n = converter.Next(work.get(), done);
        written = n == 0 || std::fwrite(work.get(), 1, n, file) == n;
    }
    written = std::fclose(file) == 0 && written;
    return written ? KIVO_OK : KIVO_ERR_FILE;
}

}  // namespace

int32_t WritePieces(PieceConverter &converter, const char *fileName, WorkAllocator allocate)
{
    if (fileName == nullptr)
        return KIVO_ERR_FILE;
    try {
        return Write(converter, fileName, allocate);
    } catch (...) {  // out of memory: no exception leaves the library
        return KIVO_ERR_FILE;
    }
}

int32_t ConvertToMemory(int32_t (*convert)(const char *, uint8_t *), const char *text, uint8_t *out)
{
    if (text == nullptr || out == nullptr)
        return KIVO_ERR_NO_CONNECTION;
    return convert(text, out);
}
