#include "user_config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setting_keys.h"

namespace cli {

namespace {

// What inih is fed, line by line: the line number tells where a problem is.
struct Reading {
    std::FILE *file = nullptr;
    int line = 0;
    int problemLine = 0;
    std::string problem;
    UserConfig *config = nullptr;
};

char *ReadLine(char *buffer, int size, void *stream)
{
    auto *reading = static_cast<Reading *>(stream);
    char *got = std::fgets(buffer, size, reading->file);
    if (got != nullptr)
        ++reading->line;
    return got;
}

int OnValue(void *user, const char *section, const char *name, const char *value)
{
    auto *reading = static_cast<Reading *>(user);
    std::string problem;
    if (*section != '\0')
        problem = "sections are not used: \"" + std::string(name) + "\" stands under [" + section + "]";
    else if (!IsSettingKey(name))
        problem = "unknown setting \"" + std::string(name) + "\" (the settings: " + SettingKeyList() + ")";
    else
        problem = SettingValueProblem(name, value);
    if (problem.empty()) {
        reading->config->values[name] = value;
        return 1;
    }
    if (reading->problem.empty()) {
        reading->problem = problem;
        reading->problemLine = reading->line;
    }
    return 0;
}

bool MakeDirectories(const std::string &path)
{
    for (size_t at = path.find('/', 1); ; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (at == std::string::npos)
            return true;
    }
}

}  // namespace

std::string UserConfigPath()
{
    const char *configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return std::string(configHome) + "/tessalink/config";
    const char *home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return std::string(home) + "/.config/tessalink/config";
    return "";
}

std::string LoadUserConfig(UserConfig &config)
{
    config.values.clear();
    if (config.path.empty())
        return "";
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(config.path.c_str(), "r"), std::fclose);
    if (!file)
        return errno == ENOENT ? "" : config.path + ": " + std::strerror(errno);
    Reading reading;
    reading.file = file.get();
    reading.config = &config;
    const int failedLine = ini_parse_stream(ReadLine, &reading, OnValue, &reading);
    if (failedLine == 0)
        return "";
    if (failedLine < 0)
        return config.path + ": cannot be read";
    const std::string where = config.path + ", line " + std::to_string(failedLine) + ": ";
    if (failedLine == reading.problemLine)
        return where + reading.problem;
    return where + "not a setting: write \"key = value\" (the settings: " + SettingKeyList() + ")";
}

std::string SaveUserConfig(const UserConfig &config)
{
    const size_t slash = config.path.rfind('/');
    if (config.path.empty() || slash == std::string::npos)
        return "no place for the configuration: set HOME or XDG_CONFIG_HOME";
    if (!MakeDirectories(config.path.substr(0, slash)))
        return config.path.substr(0, slash) + ": " + std::strerror(errno);
    std::string text = "# tessalink settings, written by `tessalink config set`\n";
    for (const std::string &key : SettingKeys()) {
        const auto found = config.values.find(key);
        if (found != config.values.end())
            text += key + " = " + found->second + "\n";
    }
    const std::string temporary = config.path + ".new-" + std::to_string(::getpid());
    std::FILE *file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr)
        return temporary + ": " + std::strerror(errno);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), config.path.c_str()) != 0) {
        const std::string problem = config.path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return problem;
    }
    return "";
}

}  // namespace cli
