// The settings a user can keep: their keys, the environment variables that
// stand for them, and what values they take. One check per key serves the
// command line, the environment and the configuration file alike.
#ifndef TESSALINK_CLI_SETTING_KEYS_H
#define TESSALINK_CLI_SETTING_KEYS_H

#include <string>
#include <vector>

#include "request.h"

namespace cli {

// "mode", "device", "baud", "send-block", "recv-block", "timeout", in this order.
const std::vector<std::string> &SettingKeys();
bool IsSettingKey(const std::string &key);
// "mode, device, baud, ...": for messages.
std::string SettingKeyList();

// The environment variable of a key: TESSALINK_MODE, TESSALINK_SEND_BLOCK...
// The device's is the port's own, TESSALINK_COM<port>, which the library reads.
std::string EnvironmentVariableOf(const std::string &key, int port);

// What is wrong with the value for the key, or "".
std::string SettingValueProblem(const std::string &key, const std::string &value);

// Stores a checked value into the settings.
void StoreSetting(const std::string &key, const std::string &value, LinkSettings &link);

}  // namespace cli

#endif
