// A numbered serial port on a POSIX system: which device "COM<n>" names, and
// how that device is opened and recognised as a serial device. The platform
// opens its ports by these rules; the command-line tool diagnoses a port that
// will not open by the same ones.
#ifndef TESSALINK_PLATFORM_POSIX_PORT_DEVICE_H
#define TESSALINK_PLATFORM_POSIX_PORT_DEVICE_H

#include <string>

// The environment variable that maps "COM<port>" to a device:
// "TESSALINK_COM<port>".
std::string PortDeviceVariable(int port);

// The device that "COM<port>" opens: the path in its variable (read at each
// call), else /dev/ttyS<port - 1>; empty for a port below 1 without a
// variable, which cannot be opened.
std::string PortDevicePath(int port);

// Opens the device as a port is opened: read and write, not as the
// controlling terminal, without waiting for a carrier, and locked against
// every other opener that locks the same way. The descriptor, or -1 with
// errno set (EWOULDBLOCK when another opener holds the lock).
int OpenPortDevice(const char *path);

// A serial device is a terminal: a character device that is none (/dev/null,
// say) reads end-of-file for ever and carries no line.
bool IsSerialDevice(int fd);

#endif
