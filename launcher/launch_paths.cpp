#include "launch_paths.h"

namespace {

constexpr std::string::size_type kNone = std::string::npos;

// Index of the last separator in path that is a character of its own, or kNone.
std::string::size_type LastSeparator(const std::string &path, const LauncherConventions &conventions)
{
    std::string::size_type last = kNone;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (conventions.isLeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;  // the trail byte belongs to this character
        } else if (path[i] == conventions.separator) {
            last = i;
        }
    }
    return last;
}

}  // namespace

std::string SettingsPathFor(const std::string &programPath, const LauncherConventions &conventions)
{
    std::string::size_type separator = LastSeparator(programPath, conventions);
    std::string::size_type nameStart = separator == kNone ? 0 : separator + 1;
    // A dot is never the trail byte of a double-byte character.
    std::string::size_type dot = programPath.rfind('.');
    if (dot == kNone || dot < nameStart) {
        dot = programPath.size();
    }
    return programPath.substr(0, dot) + ".INI";
}

std::string DirectoryOf(const std::string &path, const LauncherConventions &conventions)
{
    std::string::size_type separator = LastSeparator(path, conventions);
    return separator == kNone ? std::string() : path.substr(0, separator + 1);
}

std::string FileNameOf(const std::string &path, const LauncherConventions &conventions)
{
    std::string::size_type separator = LastSeparator(path, conventions);
    return separator == kNone ? path : path.substr(separator + 1);
}

std::string JoinPath(const std::string &directory, const std::string &name,
                     const LauncherConventions &conventions)
{
    if (directory.empty() || LastSeparator(directory, conventions) == directory.size() - 1) {
        return directory + name;
    }
    return directory + conventions.separator + name;
}
