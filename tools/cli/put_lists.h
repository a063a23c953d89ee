// The local files and handheld names of a put, and the CR-separated lists the
// multi-file exports take.
#ifndef TESSALINK_CLI_PUT_LISTS_H
#define TESSALINK_CLI_PUT_LISTS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// The part of a path after its last '/' or '\'; empty when that part is
// empty, "." or "..".
std::string LastNamePart(const std::string &path);

// Gives each local file its name on the handheld: the given names, or the
// files' own last parts when none are given. Returns what is wrong, or "".
// The multi-file exports skip empty entries and cut at CR, so a file or name
// that is empty or holds a CR would pair the wrong file with a name.
std::string CompleteHandheldNames(const std::vector<std::string> &localFiles,
                                  std::vector<std::string> &handheldNames);

std::string JoinWithCr(const std::vector<std::string> &entries);

// Where a multi-file put stopped, told from the bytes it had moved: the
// first file whose bytes were not all sent, or, when the bytes end exactly
// at a file's end, that file: the handheld's answer to a file comes after
// its bytes, and a handheld that cannot keep a file says so there. The stop
// may then also have come just after it (the next file's request, or the
// release), which atBoundary tells.
struct StopPoint {
    size_t file = 0;
    bool atBoundary = false;
};

StopPoint FileBeingSent(const std::vector<uint64_t> &sizes, uint64_t bytesDone);

}  // namespace cli

#endif
