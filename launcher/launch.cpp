#include "launch.h"

#include <string>

#include "launch_paths.h"

namespace {

// The message template with its %s replaced by fileName. The name is inserted
// as text, never read as a format.
std::string FillIn(const char *messageTemplate, const std::string &fileName)
{
    std::string text(messageTemplate);
    std::string::size_type mark = text.find("%s");
    if (mark != std::string::npos) {
        text.replace(mark, 2, fileName);
    }
    return text;
}

}  // namespace

void RunLauncher(LauncherSystem &system)
{
    const LauncherConventions &conventions = system.Conventions();
    auto reportMissing = [&](const std::string &fileName) {
        system.ShowError(conventions.caption, FillIn(conventions.notFoundText, fileName));
    };

    std::string ownPath = system.OwnPath();
    std::string settingsPath = SettingsPathFor(ownPath, conventions);
    // Without its own path the program must not go looking for ".INI" in the
    // current directory.
    if (ownPath.empty() || !system.FileExists(settingsPath)) {
        reportMissing(FileNameOf(settingsPath, conventions));
        return;
    }

    std::string besideSettings = DirectoryOf(settingsPath, conventions);
    std::string directory =
        system.ReadIniValue(settingsPath, kSettingsSection, kDirectoryKey, besideSettings);
    // An empty value names no directory: look beside the launcher, as when the
    // key is missing, rather than in whatever the current directory is.
    if (directory.empty()) {
        directory = besideSettings;
    }

    std::string installerPath = JoinPath(directory, kInstallerName, conventions);
    if (!system.FileExists(installerPath)) {
        reportMissing(kInstallerName);
        return;
    }
    std::string libraryPath = JoinPath(directory, kLibraryName, conventions);
    if (!system.FileExists(libraryPath)) {
        reportMissing(kLibraryName);
        return;
    }

    if (!system.StartProgram(installerPath, "\"" + settingsPath + "\"")) {
        system.ShowError(conventions.caption, FillIn(conventions.cannotStartText, kInstallerName));
        return;
    }
    system.WaitUntilReady();
}
