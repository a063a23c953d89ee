// The tool's command line: subcommands, their options and --help.
#ifndef TESSALINK_CLI_COMMAND_LINE_H
#define TESSALINK_CLI_COMMAND_LINE_H

#include "request.h"

namespace cli {

struct ParseOutcome {
    bool run = false;    // false: help was shown or the usage was wrong
    int exitStatus = 0;  // when not run
    Request request;
};

// Parses the command line; prints help or a usage error itself.
ParseOutcome ParseCommandLine(int argc, const char *const argv[]);

}  // namespace cli

#endif
