// Why a port could not be opened, in the system's words. The library answers
// only "no connection" (-999); the tool looks at the device itself to name
// the cause: missing, not a serial device, busy, or not permitted.
#ifndef TESSALINK_CLI_PORT_DIAGNOSIS_H
#define TESSALINK_CLI_PORT_DIAGNOSIS_H

#include <string>

#include "platform/posix_port_device.h"

namespace cli {

// The device that COM<port> opens, by the platform's own rule.
using ::PortDevicePath;

// "<device>: <reason>" when the device cannot serve as a port, for instance
// "/dev/ttyUSB0: No such file or directory" or "/home/me: not a serial
// device"; "" when nothing is found wrong with it.
std::string DeviceProblem(const std::string &device);

}  // namespace cli

#endif
