#include "config_command.h"

#include <cstdio>

#include "result_codes.h"
#include "setting_keys.h"
#include "user_config.h"

namespace cli {

int RunConfigCommand(const Request &request)
{
    const std::string command = "config " + request.configAction;
    UserConfig config;
    config.path = UserConfigPath();
    const std::string malformed = LoadUserConfig(config);
    if (!malformed.empty())
        return ReportFailure(command, malformed, kExitUsage);
    if (request.configAction == "list") {
        for (const std::string &key : SettingKeys()) {
            const auto found = config.values.find(key);
            if (found != config.values.end())
                std::printf("%s = %s\n", key.c_str(), found->second.c_str());
        }
        return kExitSuccess;
    }
    if (request.configAction == "get") {
        const auto found = config.values.find(request.configKey);
        if (found == config.values.end())
            return kExitUnexpectedResult;  // not kept: nothing to print, as git config does
        std::printf("%s\n", found->second.c_str());
        return kExitSuccess;
    }
    if (request.configAction == "set")
        config.values[request.configKey] = request.configValue;
    else
        config.values.erase(request.configKey);
    const std::string problem = SaveUserConfig(config);
    if (!problem.empty())
        return ReportFileFailure(command, problem);
    return kExitSuccess;
}

}  // namespace cli
