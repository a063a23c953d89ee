// The MEM and FILE exports of the 4-to-3 and hex conversions: the FILE
// variants convert piece by piece through a work buffer and write each
// piece's bytes into a new file.
#include <memory>
#include <new>

#include "../include/tessalink.h"
#include "../platform/platform.h"
#include "convert.h"

namespace {

int32_t Write(PieceConverter &converter, const char *fileName, WorkAllocator allocate)
{
    // The buffer first: without it the file is left untouched.
    std::unique_ptr<uint8_t[]> work(allocate != nullptr ? allocate(kWorkSize)
                                                        : new (std::nothrow) uint8_t[kWorkSize]);
    if (!work)
        return KIVO_ERR_FILE;
    // Created or emptied, bytes as they are, shared with no other opener.
    std::unique_ptr<PlatformFile> file = CurrentPlatform().OpenFile(fileName, FileAccess::kWrite);
    if (!file)
        return KIVO_ERR_FILE;
    bool written = true, done = false;
    while (written && !done) {
        const size_t n = converter.Next(work.get(), done);
        written = n == 0 || file->Write(work.get(), n);
    }
    return written ? KIVO_OK : KIVO_ERR_FILE;
}

}  // namespace

int32_t WritePieces(PieceConverter &converter, const char *fileName, WorkAllocator allocate) noexcept
{
    if (fileName == nullptr)
        return KIVO_ERR_FILE;
    try {
        return Write(converter, fileName, allocate);
    } catch (const std::bad_alloc &) {
        return KIVO_ERR_FILE;
    }
}

int32_t ConvertToMemory(int32_t (*convert)(const char *, uint8_t *), const char *text, uint8_t *out)
{
    if (text == nullptr || out == nullptr)
        return KIVO_ERR_NO_CONNECTION;
    return convert(text, out);
}
