// The port and speed each link mode starts with, until the caller sets its
// own: the library's records begin so, and the tools that pick a port or a
// speed for a mode on their own pick these.
#ifndef TESSALINK_LINK_MODE_DEFAULTS_H
#define TESSALINK_LINK_MODE_DEFAULTS_H

#include <cstdint>

#include "link_mode.h"

struct ModeDefaults {
    int32_t port;  // COM port number: 1 opens COM1
    int32_t baud;  // bits per second
};

constexpr ModeDefaults kModeDefaults[kModeCount] = {
    {1, 9600},    // mode 0
    {2, 9600},    // mode 1
    {2, 115200},  // mode 2
};

#endif
