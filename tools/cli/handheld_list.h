// The handheld's file list as backup reads it, and which of its files a
// backup takes and under what local name.
#ifndef TESSALINK_CLI_HANDHELD_LIST_H
#define TESSALINK_CLI_HANDHELD_LIST_H

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct ListedFile {
    std::string name;
    uint64_t size = 0;
    bool sizeKnown = false;

    bool operator==(const ListedFile &other) const
    {
        return name == other.name && size == other.size && sizeKnown == other.sizeKnown;
    }
};

// One file per line, "name<TAB>size", lines ended by CR LF or LF. A line
// without a tab is a name alone; a size that is no plain decimal number is
// not known. Empty lines, and a name listed twice, add nothing.
std::vector<ListedFile> ParseFileList(const std::string &list);

// Whether the name matches one of the shell patterns (*, ?, [...]), letters
// in any case; no patterns match every name.
bool MatchesAny(const std::string &name, const std::vector<std::string> &patterns);

// Why a name from the handheld cannot be a file in the backup directory
// (empty, "." or "..", holding a '/', or the name of the tool's own staging
// files), or "".
std::string LocalNameProblem(const std::string &name);

// The bytes of the files whose sizes are all known; 0 when one is not.
uint64_t KnownTotalSize(const std::vector<ListedFile> &files);

}  // namespace cli

#endif
