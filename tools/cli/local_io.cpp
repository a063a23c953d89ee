#include "local_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "staged_output.h"

namespace cli {

namespace {

std::string Problem(const std::string &what, const std::string &path)
{
    const std::string shown = path == kStandardStream ? std::string("the standard stream") : "'" + path + "'";
    return "cannot " + what + " " + shown + ": " + std::strerror(errno);
}

// Owns a stream that it opened; leaves the standard ones open.
class Stream {
public:
    Stream(const std::string &path, const char *mode, std::FILE *standard)
        : m_file(path == kStandardStream ? standard : std::fopen(path.c_str(), mode)),
          m_owned(path != kStandardStream)
    {
    }
    ~Stream()
    {
        if (m_owned && m_file != nullptr)
            std::fclose(m_file);
    }
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    std::FILE *Get() const { return m_file; }
    // Closes an owned stream; false when buffered bytes could not be written.
    bool Close()
    {
        std::FILE *file = m_file;
        m_file = nullptr;
        return m_owned ? std::fclose(file) == 0 : std::fflush(file) == 0;
    }

private:
    std::FILE *m_file;
    bool m_owned;
};

bool Pump(std::FILE *from, std::FILE *to, std::string *into)
{
    char buffer[65536];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, from);
        if (into != nullptr)
            into->append(buffer, got);
        if (to != nullptr && got > 0 && std::fwrite(buffer, 1, got, to) != got)
            return false;
        if (got < sizeof buffer)
            return std::ferror(from) == 0;
    }
}

}  // namespace

std::string ReadWhole(const std::string &path, std::string &contents)
{
    Stream in(path, "rb", stdin);
    if (in.Get() == nullptr)
        return Problem("open", path);
    contents.clear();
    if (!Pump(in.Get(), nullptr, &contents))
        return Problem("read", path);
    return "";
}

std::string WriteWhole(const std::string &path, const char *data, size_t size)
{
    Stream out(path, "wb", stdout);
    if (out.Get() == nullptr)
        return Problem("create", path);
    if (std::fwrite(data, 1, size, out.Get()) != size || !out.Close())
        return Problem("write", path);
    return "";
}

std::string CopyToStandardOutput(const std::string &path)
{
    Stream in(path, "rb", stdin);
    if (in.Get() == nullptr)
        return Problem("open", path);
    if (!Pump(in.Get(), stdout, nullptr) || std::fflush(stdout) != 0)
        return Problem("copy", path);
    return "";
}

std::string CheckReadableFiles(const std::vector<std::string> &files, std::vector<uint64_t> &sizes)
{
    sizes.clear();
    for (const std::string &file : files) {
        struct stat status;
        if (::access(file.c_str(), R_OK) != 0 || ::stat(file.c_str(), &status) != 0)
            return "'" + file + "': " + std::strerror(errno);
        if (!S_ISREG(status.st_mode))
            return "'" + file + "' is no regular file";
        sizes.push_back(static_cast<uint64_t>(status.st_size));
    }
    return "";
}

uint64_t FileSize(const std::string &path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
}

uint64_t TextSizeWithoutEndMark(const std::string &path)
{
    constexpr int kTextEndMark = 0x1A;
    const uint64_t size = FileSize(path);
    std::FILE *file = size == 0 ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return size;
    const bool marked = std::fseek(file, -1, SEEK_END) == 0 && std::fgetc(file) == kTextEndMark;
    std::fclose(file);
    return marked ? size - 1 : size;
}

std::string RegularFilesIn(const std::string &directory, std::vector<std::string> &names)
{
    names.clear();
    DIR *dir = ::opendir(directory.c_str());
    if (dir == nullptr)
        return "cannot read the directory '" + directory + "': " + std::strerror(errno);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat status;
        if (::stat((directory + "/" + name).c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            !IsStagingName(name))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return "";
}

}  // namespace cli
