#include "caller_file.h"

#include <cstring>

namespace {
constexpr size_t kReadAhead = 8192;
}  // namespace

CCallerFile::CCallerFile(const char *path, FileAccess access)
    : m_file(path != nullptr ? CurrentPlatform().OpenFile(path, access) : nullptr)
{
}

void CCallerFile::Write(const uint8_t *data, size_t count)
{
    if (count > 0 && !m_file->Write(data, count))
        throw CFileError();
}

size_t CCallerFile::Read(uint8_t *buffer, size_t count)
{
    const long n = m_file->Read(buffer, count);
    if (n < 0)
        throw CFileError();
    return static_cast<size_t>(n);
}

int64_t CCallerFile::Size()
{
    const int64_t size = m_file->Size();
    if (size < 0)
        throw CFileError();
    return size;
}

bool CCallerFile::FillAhead()
{
    m_ahead.resize(kReadAhead);
    m_aheadPos = 0;
    m_ahead.resize(Read(m_ahead.data(), m_ahead.size()));
    return !m_ahead.empty();
}

size_t CCallerFile::ReadLine(uint8_t *buffer, size_t maxBytes)
{
    size_t n = 0;
    while (n < maxBytes) {
        if (m_aheadPos == m_ahead.size() && !FillAhead())
            break;
        const uint8_t next = m_ahead[m_aheadPos++];
        buffer[n++] = next;
        if (next == '\n')
            break;
    }
    return n;
}
