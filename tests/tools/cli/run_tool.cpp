#include "run_tool.h"

#include <fstream>
#include <iterator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace {

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Redirect(const std::string &path, int flags, int target)
{
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0 || ::dup2(fd, target) < 0)
        ::_exit(126);
    ::close(fd);
}

}  // namespace

ToolRun RunTool(const std::vector<std::string> &arguments, const std::string &input)
{
    TempDir streams;
    const std::string in = streams.Path("in"), out = streams.Path("out"), err = streams.Path("err");
    std::ofstream(in, std::ios::binary) << input;

    std::vector<std::string> words = {TESSALINK_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    ToolRun run;
    const pid_t child = ::fork();
    if (child == 0) {
        Redirect(in, O_RDONLY, STDIN_FILENO);
        Redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        Redirect(err, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    run.out = ReadText(out);
    run.err = ReadText(err);
    return run;
}

std::vector<std::string> DirectoryEntries(const std::string &directory)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(directory.c_str());
    while (dirent *entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    if (dir != nullptr)
        ::closedir(dir);
    return names;
}
