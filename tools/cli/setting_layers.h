// The connection settings of a run, taken together: the command line wins
// over the environment, the environment over the configuration file, the
// file over the defaults.
#ifndef TESSALINK_CLI_SETTING_LAYERS_H
#define TESSALINK_CLI_SETTING_LAYERS_H

#include <functional>
#include <string>

#include "request.h"
#include "user_config.h"

namespace cli {

struct SettingsOutcome {
    std::string problem;  // "" when the settings can be used
    int exitStatus = 0;   // when there is a problem
};

// Reads a variable of the environment: nullptr when it is not set.
using EnvironmentReader = std::function<const char *(const std::string &variable)>;

// The process's own environment.
const char *ProcessEnvironment(const std::string &variable);

// Fills request.link from request.givenSettings, the environment and the
// configuration. A device named by none of them, or the system console
// named by the environment alone, is a problem that says what to do.
SettingsOutcome ResolveLinkSettings(Request &request, const UserConfig &config,
                                    const EnvironmentReader &environment = ProcessEnvironment);

}  // namespace cli

#endif
