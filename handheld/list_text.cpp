#include "list_text.h"

namespace handheld {

bool NameMatches(const std::string &pattern, const std::string &name)
{
    if (pattern.empty())
        return true;
    // Greedy matching with one point to return to after the last '*': linear
    // in practice and never recursive, whatever the pattern holds.
    size_t p = 0, n = 0, starAt = std::string::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void AppendListEntry(std::vector<uint8_t> &text, const std::string &name, size_t size)
{
    const std::string line = name + "\t" + std::to_string(size) + "\r\n";
    text.insert(text.end(), line.begin(), line.end());
}

}  // namespace handheld
