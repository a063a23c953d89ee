// The caller's file during a link export: opened through the platform before
// the connection, closed when the export is done. Its failures raise
// CFileError (see link_file.h).
#ifndef TESSALINK_LINK_CALLER_FILE_H
#define TESSALINK_LINK_CALLER_FILE_H

#include <memory>
#include <vector>

#include "../platform/platform.h"
#include "link_file.h"

class CCallerFile : public CLinkFile {
public:
    // Opens the file; IsOpen() tells whether that worked. A null path opens
    // nothing.
    CCallerFile(const char *path, FileAccess access);

    bool IsOpen() const { return m_file != nullptr; }

    void Write(const uint8_t *data, size_t count) override;
    size_t Read(uint8_t *buffer, size_t count) override;
    int64_t Size() override;

    // Reads the next piece of a line: the bytes up to and including the next
    // LF, at most maxBytes. 0 at the end of the file.
    size_t ReadLine(uint8_t *buffer, size_t maxBytes);

private:
    bool FillAhead();

    std::unique_ptr<PlatformFile> m_file;
    std::vector<uint8_t> m_ahead;  // read but not yet handed out by ReadLine
    size_t m_aheadPos = 0;
};

#endif
