// How a link subcommand reports the result of a link call: the result's
// meaning, except where the tool can say better why there was no connection.
#ifndef TESSALINK_CLI_LINK_REPORT_H
#define TESSALINK_CLI_LINK_REPORT_H

#include <cstdint>
#include <string>

#include "request.h"

namespace cli {

// The one-line message for a failed result. For -999 it names the port's
// device and what the system says is wrong with it, where that can be found:
// "no connection: /dev/ttyUSB0: No such file or directory (result -999)".
std::string LinkFailureMessage(const LinkSettings &link, int32_t result);

// Prints "tessalink <command>: [<subject>: ]<message>" on standard error when
// the result is a failure, and returns its exit status.
int ReportLinkResult(const std::string &command, const LinkSettings &link, int32_t result,
                     const std::string &subject = "");

}  // namespace cli

#endif
