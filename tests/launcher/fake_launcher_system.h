// A launcher seam over an in-memory set of files that records what the
// launch logic does, in order, as readable events.
#ifndef TESSALINK_TESTS_LAUNCHER_FAKE_LAUNCHER_SYSTEM_H
#define TESSALINK_TESTS_LAUNCHER_FAKE_LAUNCHER_SYSTEM_H

#include <map>
#include <string>
#include <vector>

#include "launcher/launcher_system.h"

class FakeLauncherSystem : public LauncherSystem {
public:
    explicit FakeLauncherSystem(const LauncherConventions &conventions) : m_conventions(conventions) {}

    std::string ownPath;
    // Every file that exists, with its content (a profile file's text).
    std::map<std::string, std::string> files;
    bool startSucceeds = true;
    // "start <program> <parameters>", "wait" and "message <caption>: <text>",
    // messages in UTF-8.
    std::vector<std::string> events;

    const LauncherConventions &Conventions() const override;
    std::string OwnPath() override;
    std::string ReadIniValue(const std::string &file, const char *section, const char *key,
                             const std::string &fallback) override;
    bool FileExists(const std::string &path) override;
    bool StartProgram(const std::string &program, const std::string &parameters) override;
    void WaitUntilReady() override;
    void ShowError(const char *caption, const std::string &text) override;

private:
    const LauncherConventions &m_conventions;
};

#endif
