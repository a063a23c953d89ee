#include "posix_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixFile final : public PlatformFile {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override { ::close(m_fd); }
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;

    long Read(void *buffer, size_t count) override
    {
        for (;;) {
            ssize_t n = ::read(m_fd, buffer, count);
            if (n >= 0)
                return static_cast<long>(n);
            if (errno != EINTR)
                return -1;
        }
    }

    bool Write(const void *data, size_t count) override
    {
        const char *p = static_cast<const char *>(data);
        while (count > 0) {
            ssize_t n = ::write(m_fd, p, count);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            p += n;
            count -= static_cast<size_t>(n);
        }
        return true;
    }

    int64_t Size() override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            return -1;
        return static_cast<int64_t>(st.st_size);
    }

private:
    int m_fd;
};

}  // namespace

std::unique_ptr<PlatformFile> OpenPosixFile(const char *path, FileAccess access)
{
    if (path == nullptr)
        return nullptr;
    const int flags = access == FileAccess::kRead ? O_RDONLY : (O_WRONLY | O_CREAT);
    int fd = ::open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat st;
    // Shared with no other opener: a lock every opener of ours takes, and the
    // file emptied only once it is ours. A device (say /dev/stdout) has
    // nothing to empty.
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        (access == FileAccess::kWrite && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PlatformFile>(new PosixFile(fd));
}

std::unique_ptr<PlatformFile> OpenPosixAppendFile(const char *path)
{
    if (path == nullptr)
        return nullptr;
    // Not blocking at the open: a pipe with no reader is refused, not waited for.
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return nullptr;
    // A pipe or socket whose reader goes away would end the caller's process
    // with SIGPIPE: only plain files and terminals are written.
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode)) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PlatformFile>(new PosixFile(fd));
}

bool PosixFileExists(const char *path)
{
    struct stat st;
    return path != nullptr && ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}
