#include "backup_commands.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>

#include <sys/stat.h>

#include "cancel_signal.h"
#include "handheld_list.h"
#include "link_report.h"
#include "link_window.h"
#include "local_io.h"
#include "progress_text.h"
#include "put_lists.h"
#include "result_codes.h"
#include "staged_output.h"
#include "tessalink.h"

namespace cli {

namespace {

// Counts what a job has done, and prints its summary on standard output.
class Job {
public:
    using Clock = std::chrono::steady_clock;

    Job(const std::string &verb, size_t planned, Clock::time_point start = Clock::now())
        : m_verb(verb), m_planned(planned), m_start(start)
    {
    }
    void Done(uint64_t bytes)
    {
        ++m_files;
        m_bytes += bytes;
    }
    void PrintSummary() const
    {
        const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        std::printf("%s %s\n", m_verb.c_str(), JobSummary(m_files, m_planned, m_bytes, seconds).c_str());
        std::fflush(stdout);
    }

private:
    std::string m_verb;
    size_t m_planned;
    size_t m_files = 0;
    uint64_t m_bytes = 0;
    Clock::time_point m_start;
};

std::string Label(size_t index, size_t count, const std::string &name)
{
    return std::to_string(index + 1) + "/" + std::to_string(count) + " " + name;
}

// The directory, made if it is not there yet.
std::string MakeDirectory(const std::string &directory)
{
    struct stat status;
    if (::stat(directory.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode) ? "" : "'" + directory + "' is no directory";
    if (::mkdir(directory.c_str(), 0777) != 0)
        return "cannot create the directory '" + directory + "': " + std::strerror(errno);
    return "";
}

// The handheld's file list, through a stage file in the directory.
int32_t FetchFileList(const Request &request, bool draw, std::string &list, std::string &problem)
{
    StagedOutput stage(request.directory + "/list");
    problem = stage.Create();
    if (!problem.empty())
        return KIVO_ERR_FILE;
    LinkWindow window(0, draw);
    window.SetLabel("list");
    const int32_t result = KIVO_LinkFileList(stage.StagePath().c_str(), "", window.Handle());
    window.Finish();
    if (result == KIVO_OK)
        problem = ReadWhole(stage.StagePath(), list);
    return result;
}

// The listed files that --only selects; "" or what is wrong with a name.
std::string SelectFiles(const Request &request, const std::string &list, std::vector<ListedFile> &selected)
{
    for (const ListedFile &file : ParseFileList(list)) {
        if (!MatchesAny(file.name, request.onlyPatterns))
            continue;
        const std::string problem = LocalNameProblem(file.name);
        if (!problem.empty())
            return problem + "; nothing fetched (leave it out with --only)";
        selected.push_back(file);
    }
    return "";
}

// Fetches one file into the directory; a copy there is replaced only once the
// new one has arrived whole. Returns the library's result; a failure of the
// local file is a problem of its own.
int32_t FetchOne(const Request &request, const std::string &name, LinkWindow &window, uint64_t &size,
                 std::string &problem)
{
    StagedOutput output(request.directory + "/" + name);
    problem = output.Create();
    if (!problem.empty())
        return KIVO_OK;
    const int32_t result = KIVO_LinkGetFile(output.StagePath().c_str(), name.c_str(), window.Handle());
    struct stat status;
    size = ::stat(output.StagePath().c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
    if (result == KIVO_OK)
        problem = output.Commit();
    return result;
}

}  // namespace

int RunBackup(const Request &request)
{
    std::string problem = MakeDirectory(request.directory);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    InstallCancelHandler();
    const bool draw = LinkWindow::StandardErrorIsTerminal();
    const auto start = Job::Clock::now();

    std::string list;
    const int32_t listed = FetchFileList(request, draw, list, problem);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    if (listed != KIVO_OK)
        return ReportLinkResult(request.command, request.link, listed, "the file list");
    std::vector<ListedFile> files;
    problem = SelectFiles(request, list, files);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);

    Job job("fetched", files.size(), start);
    LinkWindow window(KnownTotalSize(files), draw);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string &name = files[i].name;
        window.SetLabel(Label(i, files.size(), name));
        uint64_t size = 0;
        const int32_t result = FetchOne(request, name, window, size, problem);
        if (result != KIVO_OK || !problem.empty()) {
            window.Finish();
            job.PrintSummary();
            return problem.empty() ? ReportLinkResult(request.command, request.link, result, name)
                                   : ReportFileFailure(request.command, name + ": " + problem);
        }
        job.Done(size);
    }
    window.Finish();
    job.PrintSummary();
    return kExitSuccess;
}

int RunRestore(const Request &request)
{
    std::vector<std::string> names = request.selectedFiles;
    if (names.empty()) {
        const std::string problem = RegularFilesIn(request.directory, names);
        if (!problem.empty())
            return ReportFileFailure(request.command, problem);
        if (names.empty())
            return ReportFileFailure(request.command, "'" + request.directory + "' holds no file to send");
    }
    std::vector<std::string> paths;
    for (const std::string &name : names)
        paths.push_back(request.directory + "/" + name);
    std::vector<std::string> handheldNames = names;
    const std::string unsendable = CompleteHandheldNames(paths, handheldNames);
    if (!unsendable.empty())
        return ReportFailure(request.command, unsendable, kExitUsage);
    std::vector<uint64_t> sizes;
    const std::string problem = CheckReadableFiles(paths, sizes);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);

    InstallCancelHandler();
    Job job("sent", names.size());
    LinkWindow window(std::accumulate(sizes.begin(), sizes.end(), uint64_t{0}),
                      LinkWindow::StandardErrorIsTerminal());
    window.SetLabel(std::to_string(names.size()) + (names.size() == 1 ? " file" : " files"));
    const std::string pathList = JoinWithCr(paths), nameList = JoinWithCr(names);
    const int32_t result = request.variant == 2
                               ? KIVO_LinkPutFiles2(pathList.c_str(), nameList.c_str(), window.Handle())
                               : KIVO_LinkPutFiles(pathList.c_str(), nameList.c_str(), window.Handle());
    window.Finish();
    const StopPoint stop = result == KIVO_OK ? StopPoint{names.size(), false} : FileBeingSent(sizes, window.BytesDone());
    for (size_t i = 0; i < stop.file; ++i)
        job.Done(sizes[i]);
    job.PrintSummary();
    // -999: no connection, before any file.
    if (result == KIVO_OK || result == KIVO_ERR_NO_CONNECTION)
        return ReportLinkResult(request.command, request.link, result);
    const std::string &name = names[stop.file];
    return ReportLinkResult(request.command, request.link, result, stop.atBoundary ? name + " (or just after it)" : name);
}

}  // namespace cli
