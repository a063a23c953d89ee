// The caller's files on Windows.
#ifndef TESSALINK_PLATFORM_WIN32_FILE_H
#define TESSALINK_PLATFORM_WIN32_FILE_H

#include "platform.h"

std::unique_ptr<PlatformFile> OpenWin32File(const char *path, FileAccess access);
bool Win32FileExists(const char *path);
// A file opened to append to; see Platform::OpenAppendFile.
std::unique_ptr<PlatformFile> OpenWin32AppendFile(const char *path);

#endif
