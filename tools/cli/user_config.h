// The user's configuration file: $XDG_CONFIG_HOME/tessalink/config, else
// ~/.config/tessalink/config. Lines "key = value" (the keys of
// setting_keys.h), comments after '#' or ';' at the start of a line; read
// with inih. `tessalink config set` rewrites the file whole.
#ifndef TESSALINK_CLI_USER_CONFIG_H
#define TESSALINK_CLI_USER_CONFIG_H

#include <map>
#include <string>

namespace cli {

// The file's path; "" when neither XDG_CONFIG_HOME nor HOME is set.
std::string UserConfigPath();

struct UserConfig {
    std::string path;
    std::map<std::string, std::string> values;  // by key; only checked values
};

// Reads the file; a missing file is an empty configuration. Returns what is
// wrong, as one line naming the file and the line: "<path>, line 3: unknown
// setting "mdoe" (...)", or "".
std::string LoadUserConfig(UserConfig &config);

// Writes the values to the file (made, with its directory, if missing).
// Returns what went wrong, or "".
std::string SaveUserConfig(const UserConfig &config);

}  // namespace cli

#endif
