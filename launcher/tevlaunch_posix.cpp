// tevlaunch: starts the installer beside its settings file. It takes no
// options, ignores its arguments and exits with 0 on every path; failures are
// reported on standard error.
#include "launch.h"

int main()
{
    RunLauncher(NativeLauncherSystem());
    return 0;
}
