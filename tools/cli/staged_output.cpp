#include "staged_output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "local_io.h"

namespace cli {

namespace {

constexpr char kStagePrefix[] = ".tessalink-";
constexpr char kStageSuffix[] = ".part";

std::string StageDirectoryFor(const std::string &destination)
{
    if (destination == kStandardStream) {
        const char *temporary = std::getenv("TMPDIR");
        return temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
    }
    const size_t slash = destination.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : destination.substr(0, slash);
}

}  // namespace

std::string StagePrefixFor(long processId)
{
    return kStagePrefix + std::to_string(processId);
}

std::string StageName(const std::string &prefix, int attempt)
{
    return prefix + "-" + std::to_string(attempt) + kStageSuffix;
}

bool IsStagingName(const std::string &name)
{
    const std::string prefix = kStagePrefix, suffix = kStageSuffix;
    return name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

StagedOutput::StagedOutput(std::string destination) : m_destination(std::move(destination)) {}

StagedOutput::~StagedOutput()
{
    if (!m_stage.empty())
        ::unlink(m_stage.c_str());
}

std::string StagedOutput::Create()
{
    const std::string prefix = StageDirectoryFor(m_destination) + "/" + StagePrefixFor(::getpid());
    for (int attempt = 0; attempt < kStageAttempts; ++attempt) {
        const std::string candidate = StageName(prefix, attempt);
        // Created afresh (never an existing file or link), with the usual
        // permissions of a new file; the library opens it again by its name.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_stage = candidate;
            return "";
        }
        if (errno != EEXIST)
            break;
    }
    return "cannot create a file beside '" + m_destination + "': " + std::strerror(errno);
}

std::string StagedOutput::Commit()
{
    if (m_destination == kStandardStream)
        return CopyToStandardOutput(m_stage);
    if (std::rename(m_stage.c_str(), m_destination.c_str()) != 0)
        return "cannot store '" + m_destination + "': " + std::strerror(errno);
    m_stage.clear();
    return "";
}

}  // namespace cli
