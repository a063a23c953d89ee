#include "pty_pair.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair(int comNumber) : m_master(-1), m_com(comNumber)
{
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const char *name = ptsname(fd);
    if (name == nullptr) {
        close(fd);
        return;
    }
    // The far end passes bytes untouched.
    struct termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    m_master = fd;
    m_path = name;
    setenv(("TESSALINK_COM" + std::to_string(m_com)).c_str(), m_path.c_str(), 1);
}

PtyPair::~PtyPair()
{
    unsetenv(("TESSALINK_COM" + std::to_string(m_com)).c_str());
    if (m_master >= 0)
        close(m_master);
}

void PtyPair::Send(const std::vector<unsigned char> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

std::vector<unsigned char> PtyPair::Receive(size_t count, int timeoutMs)
{
    std::vector<unsigned char> got;
    while (got.size() < count) {
        struct pollfd pfd = {m_master, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0 || (pfd.revents & POLLIN) == 0)
            break;
        unsigned char buf[256];
        ssize_t n = read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}
