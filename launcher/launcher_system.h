// The launcher's own seam to the operating system: the few things it needs to
// find, check and start the installer, and nothing more. The launch logic is
// written once over this interface; Windows, POSIX and the tests' fake each
// provide it.
#ifndef TESSALINK_LAUNCHER_LAUNCHER_SYSTEM_H
#define TESSALINK_LAUNCHER_LAUNCHER_SYSTEM_H

#include <string>

#include "conventions.h"

class LauncherSystem {
public:
    virtual ~LauncherSystem() = default;

    // Path separator, multibyte rule and message texts of this system.
    virtual const LauncherConventions &Conventions() const = 0;

    // The running program's own full path; empty if the system cannot tell.
    virtual std::string OwnPath() = 0;
    // The value of key in section of the profile file, or fallback when the
    // file, the section or the key is missing. A key present with an empty
    // value gives the empty string.
    virtual std::string ReadIniValue(const std::string &file, const char *section, const char *key,
                                     const std::string &fallback) = 0;
    // True if a file (not a directory) exists at path.
    virtual bool FileExists(const std::string &path) = 0;
    // Starts program with its command-line parameters, written as on Windows
    // (the launcher passes one argument in double quotes), without a shell
    // dialog. False if it could not be started.
    virtual bool StartProgram(const std::string &program, const std::string &parameters) = 0;
    // Waits, without a time limit, until the program last started is ready
    // for input.
    virtual void WaitUntilReady() = 0;
    // Shows a modal error message and returns once it has been dismissed.
    virtual void ShowError(const char *caption, const std::string &text) = 0;
};

// The system this program runs on.
LauncherSystem &NativeLauncherSystem();

#endif
