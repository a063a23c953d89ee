#include "directory_file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "handheld/list_text.h"
#include "host_files.h"

namespace emulator {

namespace {

const std::string kTemporaryPrefix = ".tessalink-put-";

}  // namespace

DirectoryFileStore::DirectoryFileStore(const std::string &path)
    : m_dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

DirectoryFileStore::~DirectoryFileStore()
{
    if (m_dir >= 0)
        ::close(m_dir);
}

bool DirectoryFileStore::IsAcceptableName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool DirectoryFileStore::IsRegularFile(const std::string &name, uint64_t *size) const
{
    struct stat st;
    if (!IsAcceptableName(name) || ::fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return false;
    if (size != nullptr)
        *size = static_cast<uint64_t>(st.st_size);
    return true;
}

std::vector<uint8_t> DirectoryFileStore::List(const std::string &argument) const
{
    std::vector<uint8_t> text;
    if (m_dir < 0)
        return text;
    // A descriptor of its own: closedir closes it.
    int fd = ::openat(m_dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return text;
    }
    std::map<std::string, uint64_t> files;  // in the order of the names' bytes
    while (struct dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        uint64_t size = 0;
        if (name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0 &&
            handheld::NameMatches(argument, name) && IsRegularFile(name, &size))
            files[name] = size;
    }
    ::closedir(dir);
    for (const auto &file : files)
        handheld::AppendListEntry(text, file.first, static_cast<size_t>(file.second));
    return text;
}

bool DirectoryFileStore::Read(const std::string &name, std::vector<uint8_t> &out) const
{
    out.clear();
    if (m_dir < 0 || !IsAcceptableName(name))
        return false;
    // Non-blocking, so that a pipe put there cannot hold the emulator.
    int fd = ::openat(m_dir, name.c_str(),
                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAll(fd, out);
    ::close(fd);
    if (!ok)
        out.clear();
    return ok;
}

bool DirectoryFileStore::Write(const std::string &name, const std::vector<uint8_t> &bytes)
{
    if (m_dir < 0 || !IsAcceptableName(name))
        return false;
    struct stat st;
    if (::fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return false;
    const std::string temporary = kTemporaryPrefix + std::to_string(::getpid()) + "-" +
                                  std::to_string(++m_writes);
    int fd = ::openat(m_dir, temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes);
    ok = ::close(fd) == 0 && ok;
    // rename replaces the entry itself: a link put in the name's place
    // meanwhile is replaced, never followed.
    ok = ok && ::renameat(m_dir, temporary.c_str(), m_dir, name.c_str()) == 0;
    if (!ok)
        ::unlinkat(m_dir, temporary.c_str(), 0);
    return ok;
}

bool DirectoryFileStore::Remove(const std::string &name)
{
    return m_dir >= 0 && IsRegularFile(name) && ::unlinkat(m_dir, name.c_str(), 0) == 0;
}

}  // namespace emulator
