// A caller's file in memory, with failures to inject.
#ifndef TESSALINK_TESTS_MEMORY_LINK_FILE_H
#define TESSALINK_TESTS_MEMORY_LINK_FILE_H

#include <algorithm>
#include <cstring>
#include <vector>

#include "link/link_file.h"

class MemoryLinkFile : public CLinkFile {
public:
    MemoryLinkFile() = default;
    explicit MemoryLinkFile(std::vector<uint8_t> initial) : contents(std::move(initial)) {}

    void Write(const uint8_t *data, size_t count) override
    {
        if (failAfter >= 0 && contents.size() + count > static_cast<size_t>(failAfter))
            throw CFileError();
        contents.insert(contents.end(), data, data + count);
    }
    size_t Read(uint8_t *buffer, size_t count) override
    {
        if (failAfter >= 0 && position >= static_cast<size_t>(failAfter))
            throw CFileError();
        size_t n = std::min(count, contents.size() - position);
        if (n > 0)
            std::memcpy(buffer, contents.data() + position, n);
        position += n;
        return n;
    }
    int64_t Size() override
    {
        if (failSize)
            throw CFileError();
        return static_cast<int64_t>(contents.size());
    }

    std::vector<uint8_t> contents;
    size_t position = 0;
    long failAfter = -1;  // reads at or writes past this many bytes fail
    bool failSize = false;
};

#endif
