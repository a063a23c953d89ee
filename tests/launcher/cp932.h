// Code page 932 text shown as UTF-8, so that tests can state the launcher's
// Windows messages in readable form.
#ifndef TESSALINK_TESTS_LAUNCHER_CP932_H
#define TESSALINK_TESTS_LAUNCHER_CP932_H

#include <string>

// The text converted from code page 932 to UTF-8; "<not CP932>" if it is not
// valid code page 932.
std::string Cp932ToUtf8(const std::string &text);

#endif
