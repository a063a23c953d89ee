// tessalink config set|get|unset|list: the settings kept in the user's
// configuration file.
#ifndef TESSALINK_CLI_CONFIG_COMMAND_H
#define TESSALINK_CLI_CONFIG_COMMAND_H

#include "request.h"

namespace cli {

int RunConfigCommand(const Request &request);

}  // namespace cli

#endif
