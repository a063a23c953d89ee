// How the handheld tells the PC's application text from its packets when
// nothing announced the text (the emulator's case): a unit that arrives while
// a command is awaited and no packet has begun, and that cannot begin the
// PC's packets, begins its text stream.
//  - Modes 0 and 2: a unit whose first byte is neither SOH nor a control
//    byte of the packet layer (EOT, ENQ, ACK, NAK, CAN).
//  - Mode 1: a numbered unit (the PC numbers its text frames from 1 and
//    sends its packets unnumbered), or the end mark alone (an empty text).
#ifndef TESSALINK_HANDHELD_UNANNOUNCED_TEXT_H
#define TESSALINK_HANDHELD_UNANNOUNCED_TEXT_H

#include "line_side.h"

namespace handheld {

bool BeginsUnannouncedText(const Unit &unit, LinkMode mode);

// The rule above in a sentence, for the emulator's help.
extern const char kUnannouncedTextRule[];

}  // namespace handheld

#endif
