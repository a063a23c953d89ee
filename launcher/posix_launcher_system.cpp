// The launcher's seam on POSIX systems. Messages go to standard error in
// UTF-8; the installer is started with fork and exec, and counts as started
// once exec has succeeded.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "ini_reader.h"
#include "launcher_system.h"

namespace {

// The one argument that Windows would hand the program for parameters
// consisting of one argument in double quotes.
std::string ArgumentOf(const std::string &parameters)
{
    if (parameters.size() >= 2 && parameters.front() == '"' && parameters.back() == '"') {
        return parameters.substr(1, parameters.size() - 2);
    }
    return parameters;
}

class PosixLauncherSystem : public LauncherSystem {
public:
    const LauncherConventions &Conventions() const override
    {
        return kPosixConventions;
    }

    std::string OwnPath() override
    {
        std::vector<char> buffer(256);
        for (;;) {
            ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
            if (length < 0) {
                return std::string();
            }
            if (static_cast<size_t>(length) < buffer.size()) {
                return std::string(buffer.data(), static_cast<size_t>(length));
            }
            buffer.resize(buffer.size() * 2);  // possibly cut short: try again larger
        }
    }

    std::string ReadIniValue(const std::string &file, const char *section, const char *key,
                             const std::string &fallback) override
    {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            return fallback;
        }
        return FindIniValue(in, section, key).value_or(fallback);
    }

    bool FileExists(const std::string &path) override
    {
        struct stat status;
        return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    }

    bool StartProgram(const std::string &program, const std::string &parameters) override
    {
        std::string argument = ArgumentOf(parameters);
        std::vector<char *> argv = {const_cast<char *>(program.c_str()),
                                    const_cast<char *>(argument.c_str()), nullptr};
        // The child reports a failed exec through a pipe that a successful
        // exec closes; an empty read therefore means the program runs.
        int report[2];
        if (::pipe(report) != 0) {
            return false;
        }
        // Left open in the program, the pipe would hold this wait until it ends.
        if (::fcntl(report[0], F_SETFD, FD_CLOEXEC) != 0 ||
            ::fcntl(report[1], F_SETFD, FD_CLOEXEC) != 0) {
            ::close(report[0]);
            ::close(report[1]);
            return false;
        }
        pid_t child = ::fork();
        if (child < 0) {
            ::close(report[0]);
            ::close(report[1]);
            return false;
        }
        if (child == 0) {
            ::close(report[0]);
            ::execv(program.c_str(), argv.data());
            int error = errno;
            ssize_t ignored = ::write(report[1], &error, sizeof error);
            (void)ignored;
            ::_exit(127);
        }
        ::close(report[1]);
        int error = 0;
        ssize_t got;
        do {
            got = ::read(report[0], &error, sizeof error);
        } while (got < 0 && errno == EINTR);
        ::close(report[0]);
        if (got != 0) {
            ::waitpid(child, nullptr, 0);  // the child has given up; collect it
            return false;
        }
        return true;
    }

    // Exec has already succeeded when StartProgram returns; a POSIX program
    // has no input-idle state to wait for beyond that.
    void WaitUntilReady() override {}

    void ShowError(const char *caption, const std::string &text) override
    {
        std::string line = std::string(caption) + ": " + text + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
};

}  // namespace

LauncherSystem &NativeLauncherSystem()
{
    static PosixLauncherSystem system;
    return system;
}
