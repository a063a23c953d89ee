// Walks a private copy of a CR-separated list of names, one entry at a time.
// Empty entries (CR at the start, two CRs in a row, a CR at the end) are
// skipped; any other character, LF included, belongs to its entry.
#ifndef TESSALINK_LINK_NAME_LIST_H
#define TESSALINK_LINK_NAME_LIST_H

#include <string>

class CNameList {
public:
    explicit CNameList(const char *list) : m_copy(list), m_position(0) {}

    // The next entry, or null when none is left. Valid until the list dies.
    const char *Next();

private:
    std::string m_copy;
    size_t m_position;
};

#endif
