// tessalink ui: the handheld's files in the browser. A local HTTP server over
// the library, with the page built in; its address, with a fresh token, is
// the first line on standard output.
#ifndef TESSALINK_CLI_UI_UI_COMMAND_H
#define TESSALINK_CLI_UI_UI_COMMAND_H

#include "request.h"

namespace cli {

int RunUi(const Request &request);

}  // namespace cli

#endif
