// How a link subcommand reports the result of a link call: what happened in
// the user's terms and the likely next step, from the result, the settings,
// and what the call's window saw (a long silence, the tool's time-out).
#ifndef TESSALINK_CLI_LINK_REPORT_H
#define TESSALINK_CLI_LINK_REPORT_H

#include <cstdint>
#include <string>

#include "link_window.h"
#include "request.h"

namespace cli {

// The one-line message for a failed result. For -999 it names the port's
// device and what the system says is wrong with it, where that can be found:
// "no connection: /dev/ttyUSB0: No such file or directory (result -999): ...".
// name: the file on the handheld that the call was about, if any.
std::string LinkFailureMessage(const std::string &command, const LinkSettings &link, int32_t result,
                               const std::string &name = "");

// A failure's words in two parts, what happened (with the result) and the
// next step, as a front end that shows them apart needs them; watch: what the
// call's window saw.
struct LinkFailureWords {
    std::string what;
    std::string next;  // "": none
};
LinkFailureWords DescribeLinkFailure(const std::string &command, const LinkSettings &link, int32_t result,
                                     const std::string &name, const CallWatch &watch);

// Prints "tessalink <command>: [<subject>: ]<message>" on standard error when
// the result is a failure, and returns its exit status.
int ReportLinkResult(const std::string &command, const LinkSettings &link, int32_t result,
                     const std::string &subject = "", const std::string &name = "");

}  // namespace cli

#endif
