// The caller's files on POSIX systems (also used by the simulated platform,
// whose files are real ones).
#ifndef TESSALINK_PLATFORM_POSIX_FILE_H
#define TESSALINK_PLATFORM_POSIX_FILE_H

#include "platform.h"

std::unique_ptr<PlatformFile> OpenPosixFile(const char *path, FileAccess access);
bool PosixFileExists(const char *path);
// A plain file or a terminal, opened to append to; see Platform::OpenAppendFile.
std::unique_ptr<PlatformFile> OpenPosixAppendFile(const char *path);

#endif
