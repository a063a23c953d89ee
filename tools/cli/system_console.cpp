#include "system_console.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace cli {

namespace {

std::string Resolved(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

bool IsSystemConsole(const std::string &device)
{
    const std::string path = Resolved(device);
    if (path == "/dev/console" || path == "/dev/tty")
        return true;
    std::ifstream active("/sys/class/tty/console/active");
    std::string name;
    while (active >> name)
        if (path == Resolved("/dev/" + name))
            return true;
    return false;
}

}  // namespace cli
