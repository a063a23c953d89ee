#include "put_lists.h"

namespace cli {

namespace {

constexpr char kCr = '\r';

std::string ProblemWithEntry(const std::string &entry, const char *what)
{
    if (entry.empty())
        return std::string("an empty ") + what + " cannot be sent";
    if (entry.find(kCr) != std::string::npos)
        return std::string("the ") + what + " \"" + entry + "\" holds a carriage return";
    return "";
}

}  // namespace

std::string LastNamePart(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last == "." || last == "..")
        return "";
    return last;
}

std::string CompleteHandheldNames(const std::vector<std::string> &localFiles,
                                  std::vector<std::string> &handheldNames)
{
    if (handheldNames.empty()) {
        for (const std::string &file : localFiles) {
            const std::string name = LastNamePart(file);
            if (name.empty())
                return "\"" + file + "\" names no file; give its name on the handheld with --as";
            handheldNames.push_back(name);
        }
    }
    if (handheldNames.size() != localFiles.size())
        return "--as needs one name for each file (" + std::to_string(localFiles.size()) + " files, " +
               std::to_string(handheldNames.size()) + " names)";
    for (const std::string &file : localFiles) {
        const std::string problem = ProblemWithEntry(file, "local file name");
        if (!problem.empty())
            return problem;
    }
    for (const std::string &name : handheldNames) {
        const std::string problem = ProblemWithEntry(name, "name on the handheld");
        if (!problem.empty())
            return problem;
    }
    return "";
}

std::string JoinWithCr(const std::vector<std::string> &entries)
{
    std::string joined;
    for (const std::string &entry : entries) {
        if (!joined.empty())
            joined += kCr;
        joined += entry;
    }
    return joined;
}

StopPoint FileBeingSent(const std::vector<uint64_t> &sizes, uint64_t bytesDone)
{
    uint64_t end = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        end += sizes[i];
        if (end >= bytesDone)
            return StopPoint{i, end == bytesDone};
    }
    return StopPoint{sizes.empty() ? 0 : sizes.size() - 1, true};
}

}  // namespace cli
