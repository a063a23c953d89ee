// How a system writes paths and messages: the separator, which bytes begin a
// double-byte character (whose second byte may equal the separator's), and
// the message texts in the system's encoding.
#ifndef TESSALINK_LAUNCHER_CONVENTIONS_H
#define TESSALINK_LAUNCHER_CONVENTIONS_H

struct LauncherConventions {
    char separator;
    bool (*isLeadByte)(unsigned char byte);
    // Templates in which %s stands for a file name without its directory.
    const char *notFoundText;
    const char *cannotStartText;
    const char *caption;
};

// Windows: backslash, code page 932 (Shift-JIS) paths and texts.
extern const LauncherConventions kWindowsConventions;
// POSIX: slash, UTF-8 paths and texts (a slash never occurs inside a
// multibyte character there).
extern const LauncherConventions kPosixConventions;

#endif
