#include "port_diagnosis.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link_settings.h"

namespace cli {

std::string PortDevicePath(int port)
{
    const char *named = std::getenv(DeviceVariable(port).c_str());
    if (named != nullptr && *named != '\0')
        return named;
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::string DeviceProblem(const std::string &device)
{
    const auto because = [&](const std::string &reason) { return device + ": " + reason; };
    struct stat status;
    if (::stat(device.c_str(), &status) != 0)
        return because(std::strerror(errno));
    if (!S_ISCHR(status.st_mode))
        return because("not a serial device");
    // Opened as the library opens a port (without becoming its controlling
    // terminal, without waiting for a carrier), and locked the same way: a
    // lock held elsewhere is another program's connection.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return because(std::strerror(errno));
    std::string problem;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        problem = errno == EWOULDBLOCK ? because("busy: another program has it open")
                                       : because(std::strerror(errno));
    else if (::isatty(fd) != 1)
        problem = because("not a serial device");
    ::close(fd);
    return problem;
}

}  // namespace cli
