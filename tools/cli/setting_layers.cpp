#include "setting_layers.h"

#include <cstdlib>

#include "link_settings.h"
#include "result_codes.h"
#include "setting_keys.h"
#include "system_console.h"

namespace cli {

namespace {

constexpr int kExitNoDevice = 3;  // as no connection: nothing was opened

struct Layer {
    std::string source;  // for messages: "--mode", "TESSALINK_MODE", the file
    std::string value;
};

// The value of a key from the strongest layer that has one.
bool Lookup(const Request &request, const UserConfig &config, const EnvironmentReader &read,
            const std::string &key, int port, Layer &found)
{
    const auto given = request.givenSettings.find(key);
    if (given != request.givenSettings.end()) {
        found = {"--" + key, given->second};
        return true;
    }
    const std::string variable = EnvironmentVariableOf(key, port);
    const char *environment = read(variable);
    if (environment != nullptr && *environment != '\0') {
        found = {variable, environment};
        return true;
    }
    const auto inFile = config.values.find(key);
    if (inFile != config.values.end()) {
        found = {config.path, inFile->second};
        return true;
    }
    return false;
}

// Another port's variable that is set: the handheld may be in another mode.
std::string OtherPortHint(int port, const EnvironmentReader &read)
{
    for (int other = 1; other <= 2; ++other) {
        const char *value = read(PortDeviceVariable(other));
        if (other != port && value != nullptr && *value != '\0')
            return " (" + PortDeviceVariable(other) + " is set: for COM" + std::to_string(other) +
                   (other == 1 ? ", which mode 0 uses: give --mode 0" : ", which modes 1 and 2 use: give --mode 2") +
                   ")";
    }
    return "";
}

}  // namespace

const char *ProcessEnvironment(const std::string &variable)
{
    return std::getenv(variable.c_str());
}

SettingsOutcome ResolveLinkSettings(Request &request, const UserConfig &config, const EnvironmentReader &environment)
{
    LinkSettings &link = request.link;
    Layer layer;
    if (Lookup(request, config, environment, "mode", 0, layer)) {
        const std::string problem = SettingValueProblem("mode", layer.value);
        if (!problem.empty())
            return {layer.source + ": " + problem, kExitUsage};
        StoreSetting("mode", layer.value, link);
    }
    const int port = link.EffectivePort();
    for (const std::string &key : SettingKeys()) {
        if (key == "mode" || !Lookup(request, config, environment, key, port, layer))
            continue;
        const std::string problem = SettingValueProblem(key, layer.value);
        if (!problem.empty())
            return {layer.source + ": " + problem, kExitUsage};
        StoreSetting(key, layer.value, link);
        if (key == "device" && layer.source == PortDeviceVariable(port) && IsSystemConsole(link.device))
            return {layer.source + " names " + link.device +
                        ", this machine's own console or terminal: give --device " + link.device +
                        " to use it all the same",
                    kExitNoDevice};
    }
    if (link.device.empty())
        return {"no device is named for the handheld's port COM" + std::to_string(port) +
                    ": give --device PATH, or set it once with `tessalink config set device PATH`, or " +
                    PortDeviceVariable(port) + "=PATH in the environment" + OtherPortHint(port, environment),
                kExitNoDevice};
    return {};
}

}  // namespace cli
