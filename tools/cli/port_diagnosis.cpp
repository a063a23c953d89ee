#include "port_diagnosis.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace cli {

std::string DeviceProblem(const std::string &device)
{
    const auto because = [&](const std::string &reason) { return device + ": " + reason; };
    struct stat status;
    if (::stat(device.c_str(), &status) != 0)
        return because(std::strerror(errno));
    if (!S_ISCHR(status.st_mode))
        return because("not a serial device");
    // Opened and locked as the library opens a port: a lock held elsewhere is
    // another program's connection.
    const int fd = OpenPortDevice(device.c_str());
    if (fd < 0)
        return errno == EWOULDBLOCK ? because("busy: another program has it open")
                                    : because(std::strerror(errno));
    const bool serial = IsSerialDevice(fd);
    ::close(fd);
    return serial ? "" : because("not a serial device");
}

}  // namespace cli
