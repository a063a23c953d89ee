// Paths as the launcher derives them. Every scan steps over double-byte
// characters whole, so that a trail byte equal to the separator is never
// taken for one.
#ifndef TESSALINK_LAUNCHER_LAUNCH_PATHS_H
#define TESSALINK_LAUNCHER_LAUNCH_PATHS_H

#include <string>

#include "conventions.h"

// The program's path with the extension of its file name replaced by ".INI"
// (appended when the name has none).
std::string SettingsPathFor(const std::string &programPath, const LauncherConventions &conventions);
// The directory part of path with its trailing separator; empty if none.
std::string DirectoryOf(const std::string &path, const LauncherConventions &conventions);
// The file name of path without its directory.
std::string FileNameOf(const std::string &path, const LauncherConventions &conventions);
// directory, a separator unless the directory already ends in one, and name;
// name alone for an empty directory.
std::string JoinPath(const std::string &directory, const std::string &name,
                     const LauncherConventions &conventions);

#endif
