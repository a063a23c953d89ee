#include "body_file.h"

namespace ui {

BodyFile::BodyFile(const std::string &path, uint64_t bound)
    : m_path(path), m_bound(bound), m_file(std::fopen(path.c_str(), "wbx"))
{
    m_failed = m_file == nullptr;
}

BodyFile::~BodyFile()
{
    if (m_file != nullptr)
        std::fclose(m_file);
}

bool BodyFile::Append(const char *data, size_t length)
{
    if (m_failed || m_tooLarge)
        return false;
    if (length > m_bound - m_size) {
        m_tooLarge = true;
        return false;
    }
    m_size += length;
    if (std::fwrite(data, 1, length, m_file) != length)
        m_failed = true;
    return !m_failed;
}

bool BodyFile::Close()
{
    if (m_file == nullptr)
        return false;
    const bool flushed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return flushed && !m_failed && !m_tooLarge;
}

}  // namespace ui
