// A file of the caller's that an operation reads or writes. The export opens
// and closes it; the operations only read, write and ask its size.
//
// A failure of the file raises CFileError, never CMyException: the operations
// do not catch it, so it ends the conversation and reaches the export, which
// closes the connection and answers -500.
#ifndef TESSALINK_LINK_LINK_FILE_H
#define TESSALINK_LINK_LINK_FILE_H

#include <cstddef>
#include <cstdint>

struct CFileError {};

class CLinkFile {
public:
    virtual ~CLinkFile() = default;
    // Writes every byte, or raises CFileError.
    virtual void Write(const uint8_t *data, size_t count) = 0;
    // Reads up to count bytes from the current position; 0 at the end.
    virtual size_t Read(uint8_t *buffer, size_t count) = 0;
    // The file's size in bytes.
    virtual int64_t Size() = 0;
};

#endif
