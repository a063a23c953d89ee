// Reads a terminal's speeds as the system holds them, any number of bits per
// second (its own file: <asm/termbits.h> clashes with <termios.h>).
#ifndef TESSALINK_TESTS_PLATFORM_TERMIOS2_SPEED_H
#define TESSALINK_TESTS_PLATFORM_TERMIOS2_SPEED_H

#include <cstdint>

struct DeviceSpeeds {
    bool ok;
    uint32_t input;
    uint32_t output;
};

DeviceSpeeds ReadDeviceSpeeds(int fd);

#endif
