#include "posix_port_device.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string PortDeviceVariable(int port)
{
    return "TESSALINK_COM" + std::to_string(port);
}

std::string PortDevicePath(int port)
{
    const char *mapped = std::getenv(PortDeviceVariable(port).c_str());
    if (mapped != nullptr && *mapped != '\0')
        return mapped;
    if (port < 1)
        return std::string();
    return "/dev/ttyS" + std::to_string(port - 1);
}

int OpenPortDevice(const char *path)
{
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool IsSerialDevice(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && ::isatty(fd) == 1;
}
