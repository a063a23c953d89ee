#include "setting_keys.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "link/block_size_limits.h"
#include "link_settings.h"

namespace cli {

namespace {

constexpr double kMaxTimeoutSeconds = 24 * 3600;

bool WholeNumber(const std::string &value, long long &number)
{
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 12)
        return false;
    number = std::stoll(value);
    return true;
}

std::string NumberProblem(const std::string &value, long long low, long long high, const std::string &what)
{
    long long number = 0;
    if (WholeNumber(value, number) && number >= low && number <= high)
        return "";
    return what;
}

}  // namespace

const std::vector<std::string> &SettingKeys()
{
    static const std::vector<std::string> keys = {"mode", "device", "baud", "send-block", "recv-block", "timeout"};
    return keys;
}

bool IsSettingKey(const std::string &key)
{
    for (const std::string &known : SettingKeys())
        if (known == key)
            return true;
    return false;
}

std::string SettingKeyList()
{
    std::string list;
    for (const std::string &key : SettingKeys())
        list += (list.empty() ? "" : ", ") + key;
    return list;
}

std::string EnvironmentVariableOf(const std::string &key, int port)
{
    if (key == "device")
        return PortDeviceVariable(port);
    std::string name = "TESSALINK_";
    for (char c : key)
        name += c == '-' ? '_' : static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return name;
}

std::string SettingValueProblem(const std::string &key, const std::string &value)
{
    if (key == "mode")
        return NumberProblem(value, 0, 2, "link mode " + value + " does not exist: the modes are 0, 1 and 2");
    if (key == "device")
        return value.empty() ? "the device is empty: give the path of the serial device or pseudo-terminal" : "";
    if (key == "baud")
        return NumberProblem(value, 1, std::numeric_limits<int32_t>::max(),
                             "speed " + value + " is not a whole number of bit/s above 0");
    if (key == "send-block" || key == "recv-block")
        return NumberProblem(value, kMinBlockSize, kMaxBlockSize,
                             "unusable block size " + value + ": the packets take " + std::to_string(kMinBlockSize) +
                                 " to " + std::to_string(kMaxBlockSize) + " bytes");
    if (key == "timeout") {
        char *end = nullptr;
        errno = 0;
        const double seconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || errno != 0 || !(seconds > 0) || seconds > kMaxTimeoutSeconds)
            return "time-out " + value + " is not a number of seconds above 0 (at most a day)";
        return "";
    }
    return "unknown setting \"" + key + "\" (the settings: " + SettingKeyList() + ")";
}

void StoreSetting(const std::string &key, const std::string &value, LinkSettings &link)
{
    if (key == "mode")
        link.mode = std::atoi(value.c_str());
    else if (key == "device")
        link.device = value;
    else if (key == "baud")
        link.baud = static_cast<int32_t>(std::atol(value.c_str()));
    else if (key == "send-block")
        link.sendBlock = static_cast<int32_t>(std::atol(value.c_str()));
    else if (key == "recv-block")
        link.recvBlock = static_cast<int32_t>(std::atol(value.c_str()));
    else if (key == "timeout")
        link.timeoutSeconds = std::strtod(value.c_str(), nullptr);
}

}  // namespace cli
