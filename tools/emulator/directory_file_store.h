// The emulator's storage: the regular files directly in one directory of the
// host serve as the handheld's files, a handheld name being the file's name,
// byte for byte.
//
// A name is used only if it stays inside the directory. Names that are empty,
// "." or "..", or that hold a '/' or a zero byte are refused, and so is any
// entry that is not a regular file: a symbolic link (wherever it points), a
// subdirectory, a device or a pipe. Read, Write and Remove then return false,
// and nothing is read, written or removed. Every access goes through one
// descriptor of the directory (openat and its kin, without following links),
// so the directory's path is resolved once, when the store is made.
//
// Write creates or replaces a file whole: the bytes go to a temporary file in
// the directory (".tessalink-put-..."), which is then renamed over the name.
// List shows the regular files with acceptable names, temporary ones left
// behind by an interrupted write excepted, in the format of list_text.h.
#ifndef TESSALINK_TOOLS_EMULATOR_DIRECTORY_FILE_STORE_H
#define TESSALINK_TOOLS_EMULATOR_DIRECTORY_FILE_STORE_H

#include <cstdint>
#include <string>
#include <vector>

#include "handheld/file_store.h"

namespace emulator {

class DirectoryFileStore : public handheld::FileStore {
public:
    explicit DirectoryFileStore(const std::string &path);
    ~DirectoryFileStore() override;
    DirectoryFileStore(const DirectoryFileStore &) = delete;
    DirectoryFileStore &operator=(const DirectoryFileStore &) = delete;

    // False when the directory could not be opened.
    bool IsOpen() const { return m_dir >= 0; }

    std::vector<uint8_t> List(const std::string &argument) const override;
    bool Read(const std::string &name, std::vector<uint8_t> &out) const override;
    bool Write(const std::string &name, const std::vector<uint8_t> &bytes) override;
    bool Remove(const std::string &name) override;

    // A name that can only mean an entry directly in the directory.
    static bool IsAcceptableName(const std::string &name);

private:
    // The name is acceptable and names a regular file (not through a link).
    bool IsRegularFile(const std::string &name, uint64_t *size = nullptr) const;

    int m_dir;
    unsigned m_writes = 0;
};

}  // namespace emulator

#endif
