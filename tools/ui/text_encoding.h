// The handheld keeps its names and texts in Shift-JIS (code page 932); the
// page and the HTTP interface speak UTF-8. The conversion is the system's
// iconv, both ways.
#ifndef TESSALINK_UI_TEXT_ENCODING_H
#define TESSALINK_UI_TEXT_ENCODING_H

#include <string>

namespace ui {

// False when a character of the text has no code on the other side.
bool Utf8ToShiftJis(const std::string &text, std::string &converted);
bool ShiftJisToUtf8(const std::string &text, std::string &converted);

}  // namespace ui

#endif
