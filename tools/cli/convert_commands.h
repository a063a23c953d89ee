// The conversion subcommands: decode43, hex2bin, codemask, layout-mem and
// layout-rep. They read a text, call one conversion export, and write the
// result; no port is involved.
#ifndef TESSALINK_CLI_CONVERT_COMMANDS_H
#define TESSALINK_CLI_CONVERT_COMMANDS_H

#include <string>

#include "request.h"

namespace cli {

bool IsConversion(const std::string &command);

// Runs the request's conversion and returns the tool's exit status.
int RunConversion(const Request &request);

}  // namespace cli

#endif
