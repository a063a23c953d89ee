// The handheld's storage, as the protocol side sees it: a flat set of named
// files. MemoryFileStore keeps them in memory (tests); a store on a directory
// of the host implements the same four operations (the emulator).
//
// The list text that List() gives is the handheld's own format, which the PC
// stores without reading it: one line per file, "name<TAB>size<CR><LF>", the
// size in decimal digits, in the order of the names' bytes. The argument
// selects the files: empty means all, otherwise a pattern over the whole
// name in which '*' stands for any run of bytes and '?' for any one byte
// (see list_text.h, which every store shares).
#ifndef TESSALINK_HANDHELD_FILE_STORE_H
#define TESSALINK_HANDHELD_FILE_STORE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace handheld {

class FileStore {
public:
    virtual ~FileStore() = default;

    virtual std::vector<uint8_t> List(const std::string &argument) const = 0;
    // False when there is no such file; out is then left empty.
    virtual bool Read(const std::string &name, std::vector<uint8_t> &out) const = 0;
    // Creates or replaces the file; false when the name cannot be stored.
    virtual bool Write(const std::string &name, const std::vector<uint8_t> &bytes) = 0;
    // False when there was no such file.
    virtual bool Remove(const std::string &name) = 0;
};

// Names are any non-empty byte strings without a zero byte (the request
// texts end at the first zero, so a name can never hold one).
class MemoryFileStore : public FileStore {
public:
    std::vector<uint8_t> List(const std::string &argument) const override;
    bool Read(const std::string &name, std::vector<uint8_t> &out) const override;
    bool Write(const std::string &name, const std::vector<uint8_t> &bytes) override;
    bool Remove(const std::string &name) override;

    std::map<std::string, std::vector<uint8_t>> files;
};

}  // namespace handheld

#endif
