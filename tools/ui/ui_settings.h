// The connection settings of the page's server: the command line, the
// environment as it was at the start, the page's own changes and the
// configuration file, taken together as the tool takes them. The page's
// changes win over the rest and are saved to the configuration.
#ifndef TESSALINK_UI_UI_SETTINGS_H
#define TESSALINK_UI_UI_SETTINGS_H

#include <map>
#include <mutex>
#include <string>

#include "request.h"
#include "user_config.h"

namespace ui {

struct SettingsView {
    cli::LinkSettings link;
    std::string problem;                        // "": usable
    std::map<std::string, std::string> values;  // by key; "" for the default
};

class UiSettings {
public:
    // request: the command line's; environment: TESSALINK_* as the process
    // had it at the start.
    UiSettings(const cli::Request &request, cli::UserConfig config, std::map<std::string, std::string> environment);

    SettingsView Current();

    // Checks every change as `tessalink config set` does ("" forgets the
    // key), then saves them to the configuration. Returns what is wrong with
    // one, or what kept the file from being written, or "".
    std::string Update(const std::map<std::string, std::string> &changes);

private:
    SettingsView ResolveLocked();

    std::mutex m_lock;
    cli::Request m_request;
    cli::UserConfig m_config;
    std::map<std::string, std::string> m_environment;
};

// TESSALINK_* variables of the process's environment.
std::map<std::string, std::string> TessalinkEnvironment();

}  // namespace ui

#endif
