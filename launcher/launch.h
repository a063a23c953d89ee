// The launcher: finds the installer's directory through the settings file
// beside the program, checks that the settings file, the installer and the
// library exist there, starts the installer with the quoted settings path and
// waits until it is ready for input. Every failure is shown as a message and
// ends the run; nothing is returned, as the program exits with 0 on every path.
#ifndef TESSALINK_LAUNCHER_LAUNCH_H
#define TESSALINK_LAUNCHER_LAUNCH_H

#include "launcher_system.h"

constexpr const char kInstallerName[] = "TEV_INST32.EXE";
constexpr const char kLibraryName[] = "Tessalink.DLL";
constexpr const char kSettingsSection[] = "Option";
constexpr const char kDirectoryKey[] = "INST32";

void RunLauncher(LauncherSystem &system);

#endif
