#include "handheld_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <fnmatch.h>

#include "staged_output.h"

namespace cli {

namespace {

bool ParseSize(const std::string &text, uint64_t &size)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    size = value;
    return true;
}

}  // namespace

std::vector<ListedFile> ParseFileList(const std::string &list)
{
    std::vector<ListedFile> files;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        std::string line = list.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        ListedFile file;
        const size_t tab = line.find('\t');
        file.name = line.substr(0, tab);
        if (tab != std::string::npos)
            file.sizeKnown = ParseSize(line.substr(tab + 1), file.size);
        const bool listed = std::any_of(files.begin(), files.end(),
                                        [&](const ListedFile &other) { return other.name == file.name; });
        if (!listed)
            files.push_back(file);
    }
    return files;
}

bool MatchesAny(const std::string &name, const std::vector<std::string> &patterns)
{
    if (patterns.empty())
        return true;
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string &pattern) {
        return ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    });
}

std::string LocalNameProblem(const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return "\"" + name + "\" cannot be the name of a file";
    if (name.find('/') != std::string::npos)
        return "\"" + name + "\" holds a '/', which a file name cannot";
    if (IsStagingName(name))
        return "\"" + name + "\" is a name the tool keeps for its unfinished files";
    return "";
}

uint64_t KnownTotalSize(const std::vector<ListedFile> &files)
{
    uint64_t total = 0;
    for (const ListedFile &file : files) {
        if (!file.sizeKnown)
            return 0;
        total += file.size;
    }
    return total;
}

}  // namespace cli
