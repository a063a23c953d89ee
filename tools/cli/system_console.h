// The devices that are this machine's own terminals: the system console
// (the devices in /sys/class/tty/console/active), /dev/console and /dev/tty.
// A stale or mistaken setting must not make the tool write link bytes to one.
#ifndef TESSALINK_CLI_SYSTEM_CONSOLE_H
#define TESSALINK_CLI_SYSTEM_CONSOLE_H

#include <string>

namespace cli {

// Whether the path (links followed) is the console or the controlling terminal.
bool IsSystemConsole(const std::string &device);

}  // namespace cli

#endif
