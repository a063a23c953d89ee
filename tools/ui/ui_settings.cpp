#include "ui_settings.h"

#include <cstdio>
#include <utility>

#include "setting_keys.h"
#include "setting_layers.h"

extern char **environ;

namespace ui {

using cli::IsSettingKey;
using cli::LinkSettings;
using cli::Request;
using cli::ResolveLinkSettings;
using cli::SaveUserConfig;
using cli::SettingKeyList;
using cli::SettingKeys;
using cli::SettingValueProblem;
using cli::SettingsOutcome;
using cli::UserConfig;


namespace {

std::string ValueOf(const std::string &key, const LinkSettings &link)
{
    const auto number = [](long long value) { return value == 0 ? std::string() : std::to_string(value); };
    if (key == "mode")
        return std::to_string(link.mode);
    if (key == "device")
        return link.device;
    if (key == "baud")
        return number(link.baud);
    if (key == "send-block")
        return number(link.sendBlock);
    if (key == "recv-block")
        return number(link.recvBlock);
    if (link.timeoutSeconds == 0)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%g", link.timeoutSeconds);
    return text;
}

}  // namespace

UiSettings::UiSettings(const Request &request, UserConfig config, std::map<std::string, std::string> environment)
    : m_request(request), m_config(std::move(config)), m_environment(std::move(environment))
{
}

SettingsView UiSettings::Current()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return ResolveLocked();
}

SettingsView UiSettings::ResolveLocked()
{
    Request request = m_request;
    const SettingsOutcome outcome =
        ResolveLinkSettings(request, m_config, [this](const std::string &variable) -> const char * {
            const auto found = m_environment.find(variable);
            return found == m_environment.end() ? nullptr : found->second.c_str();
        });
    SettingsView view;
    view.link = request.link;
    view.problem = outcome.problem;
    for (const std::string &key : SettingKeys())
        view.values[key] = ValueOf(key, request.link);
    return view;
}

std::string UiSettings::Update(const std::map<std::string, std::string> &changes)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    for (const auto &[key, value] : changes) {
        if (!IsSettingKey(key))
            return "unknown setting \"" + key + "\" (the settings: " + SettingKeyList() + ")";
        const std::string problem = value.empty() ? "" : SettingValueProblem(key, value);
        if (!problem.empty())
            return key + ": " + problem;
    }
    UserConfig config = m_config;
    for (const auto &[key, value] : changes) {
        if (value.empty())
            config.values.erase(key);
        else
            config.values[key] = value;
    }
    const std::string saved = SaveUserConfig(config);
    if (!saved.empty())
        return saved;
    m_config = config;
    for (const auto &[key, value] : changes) {
        if (value.empty())
            m_request.givenSettings.erase(key);
        else
            m_request.givenSettings[key] = value;
    }
    return "";
}

std::map<std::string, std::string> TessalinkEnvironment()
{
    static const std::string prefix = "TESSALINK_";
    std::map<std::string, std::string> variables;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos && text.compare(0, prefix.size(), prefix) == 0)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return variables;
}

}  // namespace ui
