// The pieces of the handheld's list text that every file store shares: which
// names an argument selects, and how one line of the list reads.
#ifndef TESSALINK_HANDHELD_LIST_TEXT_H
#define TESSALINK_HANDHELD_LIST_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace handheld {

// An empty pattern selects every name; otherwise the whole name must match,
// '*' matching any run of bytes (also none) and '?' any one byte.
bool NameMatches(const std::string &pattern, const std::string &name);

// Appends "name<TAB>size<CR><LF>".
void AppendListEntry(std::vector<uint8_t> &text, const std::string &name, size_t size);

}  // namespace handheld

#endif
