// tessalink ui: the handheld's files in the browser. A local HTTP server over
// the library, with the page built in; its address, with a fresh token, is
// the first line on standard output.
#ifndef TESSALINK_UI_UI_COMMAND_H
#define TESSALINK_UI_UI_COMMAND_H

#include "request.h"

namespace ui {

int RunUi(const cli::Request &request);

}  // namespace ui

#endif
