// Fills a line-state record from a mode text such as
// "baud=9600 parity=o data=8 stop=1 xon=on", the way the Windows mode-text
// parser does: the fields the text names change, the others keep their values.
#ifndef TESSALINK_PLATFORM_MODE_TEXT_H
#define TESSALINK_PLATFORM_MODE_TEXT_H

#include "line_state.h"

// Returns false (and leaves the record as far as it got) on a key or value it
// does not understand.
bool ParseModeText(const char *text, LineState &state);

#endif
