// Where backup has the library write the files of one multi-file fetch: a
// private directory beside the destinations, one numbered file per pair. The
// library creates each file only when its pair's turn comes, so after a stop
// the files that exist tell how far it got: all but the last are whole. A
// file replaces its destination only once it is known to be whole; whatever
// is left is removed with the directory.
#ifndef TESSALINK_CLI_STAGING_DIRECTORY_H
#define TESSALINK_CLI_STAGING_DIRECTORY_H

#include <cstddef>
#include <string>

namespace cli {

class StagingDirectory {
public:
    // parent: the directory the destinations are in (same file system, so
    // that a whole file moves into place at once).
    explicit StagingDirectory(std::string parent);
    ~StagingDirectory();
    StagingDirectory(const StagingDirectory &) = delete;
    StagingDirectory &operator=(const StagingDirectory &) = delete;

    // Makes the directory, a fresh one that only its owner can use, under a
    // name that the stage files' rule covers. Returns what went wrong, or "".
    std::string Create();

    // The path the library writes the pair at index to.
    std::string PathOf(size_t index) const;

    // How many of the first count pairs the library has begun: their files
    // exist (it creates them in order).
    size_t Begun(size_t count) const;

    // Moves the file of index into place as destination. Returns what went
    // wrong, or "".
    std::string Commit(size_t index, const std::string &destination);

private:
    std::string m_parent;
    std::string m_path;
};

}  // namespace cli

#endif
