// Reads one value from a profile (INI) file: a line "[name]" opens a
// section, a line "key=value" holds a key. Section and key names are compared
// without regard to ASCII case, and spaces around names and values are
// ignored, as Windows does; so is one pair of quotes around a value.
#ifndef TESSALINK_LAUNCHER_INI_READER_H
#define TESSALINK_LAUNCHER_INI_READER_H

#include <istream>
#include <optional>
#include <string>

// The value of the first such key in a section of that name; nullopt if none.
std::optional<std::string> FindIniValue(std::istream &in, const std::string &section,
                                        const std::string &key);

#endif
