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
#include "put_calls.h"
#include "put_lists.h"
#include "result_codes.h"
#include "staged_output.h"
#include "staging_directory.h"
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

// Stores the files the fetch finished, in list order, each replacing its
// copy in the directory. Returns how many were stored; problem tells why it
// stopped short of done.
size_t StoreFinished(const Request &request, const std::vector<ListedFile> &files, size_t done,
                     StagingDirectory &staging, Job &job, std::string &problem)
{
    for (size_t i = 0; i < done; ++i) {
        const uint64_t size = FileSize(staging.PathOf(i));
        problem = staging.Commit(i, request.directory + "/" + files[i].name);
        if (!problem.empty()) {
            problem = files[i].name + ": " + problem;
            return i;
        }
        job.Done(size);
    }
    return done;
}

}  // namespace

// The list, then every selected file over one more connection. Each file is
// fetched into a private directory and replaces its copy only once whole:
// a stop in the middle of a file leaves that copy as it was.
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
    if (files.empty()) {
        job.PrintSummary();
        return kExitSuccess;
    }
    StagingDirectory staging(request.directory);
    problem = staging.Create();
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    std::vector<std::string> paths, names;
    for (size_t i = 0; i < files.size(); ++i) {
        paths.push_back(staging.PathOf(i));
        names.push_back(files[i].name);
    }
    LinkWindow window(KnownTotalSize(files), draw);
    window.SetLabel(std::to_string(files.size()) + (files.size() == 1 ? " file" : " files"));
    const int32_t result =
        KIVO_LinkGetFiles(JoinWithCr(paths).c_str(), JoinWithCr(names).c_str(), window.Handle());
    window.Finish();

    // After a stop, the file it stopped in is not whole.
    const size_t begun = staging.Begun(files.size());
    const size_t finished = result == KIVO_OK ? files.size() : (begun == 0 ? 0 : begun - 1);
    const size_t stored = StoreFinished(request, files, finished, staging, job, problem);
    job.PrintSummary();
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    if (result != KIVO_OK)
        return ReportLinkResult(request.command, request.link, result, files[stored].name, files[stored].name);
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
    const int32_t result = PutFilesCall(JoinWithCr(paths), JoinWithCr(names), request.variant, true, window.Handle());
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
