// The subcommands that talk to the handheld: list, get, put, delete, release,
// text-send and text-recv, each one call of a link export; and backup and
// restore, which move many files.
#ifndef TESSALINK_CLI_LINK_COMMANDS_H
#define TESSALINK_CLI_LINK_COMMANDS_H

#include <string>

#include "request.h"

namespace cli {

// "mode 2, /dev/pts/3" (and the speed when one was given): where the
// waiting line says the handheld is awaited.
std::string WhereAwaited(const LinkSettings &link);

bool IsLinkCommand(const std::string &command);

// Takes the settings together (command line, environment, configuration),
// runs the request's link subcommand and returns the tool's exit status.
int RunLinkCommand(Request request);

}  // namespace cli

#endif
