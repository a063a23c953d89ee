#include "fake_launcher_system.h"

#include <sstream>

#include "cp932.h"
#include "launcher/ini_reader.h"

const LauncherConventions &FakeLauncherSystem::Conventions() const
{
    return m_conventions;
}

std::string FakeLauncherSystem::OwnPath()
{
    return ownPath;
}

std::string FakeLauncherSystem::ReadIniValue(const std::string &file, const char *section,
                                             const char *key, const std::string &fallback)
{
    auto found = files.find(file);
    if (found == files.end()) {
        return fallback;
    }
    std::istringstream in(found->second);
    return FindIniValue(in, section, key).value_or(fallback);
}

bool FakeLauncherSystem::FileExists(const std::string &path)
{
    return files.count(path) != 0;
}

bool FakeLauncherSystem::StartProgram(const std::string &program, const std::string &parameters)
{
    events.push_back("start " + program + " " + parameters);
    return startSucceeds;
}

void FakeLauncherSystem::WaitUntilReady()
{
    events.push_back("wait");
}

void FakeLauncherSystem::ShowError(const char *caption, const std::string &text)
{
    bool cp932 = &m_conventions == &kWindowsConventions;
    events.push_back("message " + (cp932 ? Cp932ToUtf8(caption) : caption) + ": " +
                     (cp932 ? Cp932ToUtf8(text) : text));
}
