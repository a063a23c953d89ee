#include "name_list.h"

const char *CNameList::Next()
{
    constexpr char kSeparator = '\r';
    while (m_position < m_copy.size() && m_copy[m_position] == kSeparator)
        ++m_position;
    if (m_position >= m_copy.size())
        return nullptr;
    const size_t start = m_position;
    size_t end = m_copy.find(kSeparator, start);
    if (end == std::string::npos) {
        end = m_copy.size();
        m_position = end;
    } else {
        m_copy[end] = '\0';
        m_position = end + 1;
    }
    return m_copy.c_str() + start;
}
