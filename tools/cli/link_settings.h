// Hands the connection settings of a request to the library.
#ifndef TESSALINK_CLI_LINK_SETTINGS_H
#define TESSALINK_CLI_LINK_SETTINGS_H

#include <string>

#include "platform/posix_port_device.h"
#include "request.h"

namespace cli {

// "TESSALINK_COM<port>": the variable naming the device that the port opens,
// by the platform's own rule.
using ::PortDeviceVariable;

// Selects the mode, its port, speed and the block sizes (those not given:
// their defaults, whatever an earlier call of the process set); with a
// device, points the port's variable at it for this process, and with a
// trace file, the library's trace variable. Returns what went wrong, or "".
std::string ApplyLinkSettings(const LinkSettings &link);

}  // namespace cli

#endif
