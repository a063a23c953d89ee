// A temporary directory for running the launcher programs in, removed with
// everything in it at the end of the test, and the few file and process
// helpers those tests share.
#ifndef TESSALINK_TESTS_LAUNCHER_SCRATCH_DIRECTORY_H
#define TESSALINK_TESTS_LAUNCHER_SCRATCH_DIRECTORY_H

#include <chrono>
#include <optional>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    const std::string &Path() const { return m_path; }
    // The path of name inside the directory.
    std::string operator/(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void WriteTextFile(const std::string &path, const std::string &text);
// Copies an executable file, keeping it executable.
void CopyExecutable(const std::string &from, const std::string &to);
// The file's content once it exists, or nullopt if it has not appeared within
// the time given.
std::optional<std::string> AwaitFile(const std::string &path, std::chrono::milliseconds limit);
// The text in single quotes for the shell.
std::string ShellQuoted(const std::string &text);
// Runs a shell command; its exit code, or -1 if it did not exit normally.
int RunShell(const std::string &command);

#endif
