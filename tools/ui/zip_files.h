// The zips of the page's server, written and read with libzip: a backup of
// every file, and a restore that takes only plain files at the top level.
#ifndef TESSALINK_UI_ZIP_FILES_H
#define TESSALINK_UI_ZIP_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct ZipMember {
    std::string entry;  // the name in the zip (UTF-8)
    std::string path;   // the local file
    uint64_t size = 0;
};

// Why a name cannot be a plain file at a zip's top level (empty, "." or
// "..", a folder, a path), or "".
std::string ZipEntryNameProblem(const std::string &name);

// Writes the files into a new zip at zipPath. Returns what went wrong, or "".
std::string WriteZip(const std::vector<ZipMember> &members, const std::string &zipPath);

struct ZipLimits {
    uint64_t fileBound = 0;   // the most bytes one entry may hold
    uint64_t totalBound = 0;  // the most bytes all entries may hold together
    size_t entryBound = 0;    // the most entries
};

struct UnpackedZip {
    std::string problem;  // "": every entry was unpacked
    bool tooLarge = false;
    std::vector<ZipMember> members;  // in the zip's order; path in directory
};

// Unpacks the zip into directory as files named 0, 1, 2... after checking
// every entry first: a directory entry, a name with a path, the same name
// twice, an encrypted entry, or one beyond the limits is refused, and then
// nothing is unpacked. The sizes are checked again as the bytes come.
UnpackedZip UnpackZip(const std::string &zipPath, const std::string &directory, const ZipLimits &limits);

}  // namespace ui

#endif
