// Which names the page's server passes to the handheld: a name it could not
// take is refused before the port is opened.
#ifndef TESSALINK_UI_HANDHELD_NAMES_H
#define TESSALINK_UI_HANDHELD_NAMES_H

#include <cstdint>
#include <string>

namespace ui {

// What the request packet holds besides the name, for the longest request a
// name goes into: the three-letter code and the closing zero; for put-file-2
// also "|" and the size's digits.
struct NameRoom {
    int32_t sendBlock = 0;  // the send block size in force (put-file-2: its own)
    int32_t extra = 0;      // bytes besides the code, the name and the zero
};

// Why the name (UTF-8, as the HTTP interface gives it) cannot be a name on
// the handheld: empty, "." or "..", holding '/', '\\', '|' or a control byte,
// a character Shift-JIS has no code for, or too long for one request packet
// of room. "" when it can; then handheldName is the name in Shift-JIS.
std::string HandheldNameProblem(const std::string &name, const NameRoom &room, std::string &handheldName);

}  // namespace ui

#endif
