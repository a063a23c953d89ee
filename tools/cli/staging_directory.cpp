#include "staging_directory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "staged_output.h"

namespace cli {

StagingDirectory::StagingDirectory(std::string parent) : m_parent(std::move(parent)) {}

StagingDirectory::~StagingDirectory()
{
    if (m_path.empty())
        return;
    if (DIR *dir = ::opendir(m_path.c_str())) {
        while (const struct dirent *entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                ::unlink((m_path + "/" + name).c_str());
        }
        ::closedir(dir);
    }
    ::rmdir(m_path.c_str());
}

std::string StagingDirectory::Create()
{
    const std::string prefix = m_parent + "/" + StagePrefixFor(::getpid());
    for (int attempt = 0; attempt < kStageAttempts; ++attempt) {
        const std::string candidate = StageName(prefix, attempt);
        if (::mkdir(candidate.c_str(), 0700) == 0) {
            m_path = candidate;
            return "";
        }
        if (errno != EEXIST)
            break;
    }
    return "cannot create a directory in '" + m_parent + "': " + std::strerror(errno);
}

std::string StagingDirectory::PathOf(size_t index) const
{
    return m_path + "/" + std::to_string(index);
}

size_t StagingDirectory::Begun(size_t count) const
{
    size_t begun = 0;
    struct stat status;
    while (begun < count && ::lstat(PathOf(begun).c_str(), &status) == 0)
        ++begun;
    return begun;
}

std::string StagingDirectory::Commit(size_t index, const std::string &destination)
{
    if (std::rename(PathOf(index).c_str(), destination.c_str()) != 0)
        return "cannot store '" + destination + "': " + std::strerror(errno);
    return "";
}

}  // namespace cli
