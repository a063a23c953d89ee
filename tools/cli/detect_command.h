// tessalink detect: which link mode the handheld answers in. Each mode is
// tried with a file list under a short limit (the time-out, 3 s unless
// given) on the device its port names; the first that succeeds is the
// handheld's. A handheld on a cable does not understand a PC at another
// speed or parity, so only its own mode gets an answer.
#ifndef TESSALINK_CLI_DETECT_COMMAND_H
#define TESSALINK_CLI_DETECT_COMMAND_H

#include "request.h"
#include "user_config.h"

namespace cli {

constexpr double kDetectLimitSeconds = 3;

// request: as parsed, before the settings are taken together (each mode is
// taken with the device of its own port).
int RunDetect(const Request &request, UserConfig &config);

}  // namespace cli

#endif
