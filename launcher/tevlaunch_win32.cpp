// Tevlaunch.exe: starts the installer beside its settings file. A program of
// the graphical subsystem without a window of its own; it ignores its command
// line and exits with 0 on every path, failures having been shown in a
// message box.
#include <windows.h>

#include "launch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RunLauncher(NativeLauncherSystem());
    return 0;
}
