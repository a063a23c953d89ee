// Line speeds beyond the fixed table of <termios.h>: any number of bits per
// second, where the system can set one (Linux: termios2 with BOTHER).
#ifndef TESSALINK_PLATFORM_POSIX_EXACT_SPEED_H
#define TESSALINK_PLATFORM_POSIX_EXACT_SPEED_H

#include <cstdint>

// Sets the device's input and output speed to exactly baud, leaving every
// other setting as it is. False if the system has no way to, the device
// refuses, or it reports another speed afterwards.
bool SetExactSpeed(int fd, uint32_t baud);

// The device's output speed in bits per second; false if it cannot be read
// this way (then the caller falls back to the fixed table).
bool ReadExactSpeed(int fd, uint32_t *baud);

#endif
