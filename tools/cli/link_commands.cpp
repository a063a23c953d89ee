#include "link_commands.h"

#include <cstdint>
#include <functional>
#include <map>
#include <numeric>

#include "backup_commands.h"
#include "cancel_signal.h"
#include "link_report.h"
#include "link_settings.h"
#include "link_window.h"
#include "local_io.h"
#include "put_lists.h"
#include "result_codes.h"
#include "staged_output.h"
#include "tessalink.h"

namespace cli {

namespace {

using LinkCall = std::function<int32_t(KIVO_HWND)>;
// An export that stores what it receives into the file path.
using StoringCall = std::function<int32_t(const char *path, KIVO_HWND)>;

int Report(const Request &request, int32_t result)
{
    return ReportLinkResult(request.command, request.link, result);
}

int32_t CallWithWindow(const LinkCall &call, uint64_t knownTotal)
{
    InstallCancelHandler();
    LinkWindow window(knownTotal, LinkWindow::StandardErrorIsTerminal());
    const int32_t result = call(window.Handle());
    window.Finish();
    return result;
}

int RunStoring(const Request &request, const StoringCall &call)
{
    StagedOutput output(request.localPath);
    const std::string problem = output.Create();
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    const int32_t result =
        CallWithWindow([&](KIVO_HWND window) { return call(output.StagePath().c_str(), window); }, 0);
    if (result != KIVO_OK)
        return Report(request, result);
    const std::string stored = output.Commit();
    return stored.empty() ? kExitSuccess : ReportFileFailure(request.command, stored);
}

int32_t PutOne(const Request &request, KIVO_HWND window)
{
    const char *path = request.localFiles.front().c_str();
    const char *name = request.handheldNames.front().c_str();
    if (request.variant == 2)
        return request.noRelease ? KIVO_LinkPutFile2Ex(path, name, window) : KIVO_LinkPutFile2(path, name, window);
    return request.noRelease ? KIVO_LinkPutFileEx(path, name, window) : KIVO_LinkPutFile(path, name, window);
}

int32_t PutSeveral(const Request &request, KIVO_HWND window)
{
    const std::string paths = JoinWithCr(request.localFiles);
    const std::string names = JoinWithCr(request.handheldNames);
    if (request.variant == 2)
        return request.noRelease ? KIVO_LinkPutFiles2Ex(paths.c_str(), names.c_str(), window)
                                 : KIVO_LinkPutFiles2(paths.c_str(), names.c_str(), window);
    return request.noRelease ? KIVO_LinkPutFilesEx(paths.c_str(), names.c_str(), window)
                             : KIVO_LinkPutFiles(paths.c_str(), names.c_str(), window);
}

// Every file is checked before the connection: the list exports would
// otherwise send the files before a missing one, and then no release.
int RunPut(const Request &request)
{
    std::vector<uint64_t> sizes;
    const std::string problem = CheckReadableFiles(request.localFiles, sizes);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    const uint64_t totalSize = std::accumulate(sizes.begin(), sizes.end(), uint64_t{0});
    const bool several = request.localFiles.size() > 1;
    const int32_t result = CallWithWindow(
        [&](KIVO_HWND window) { return several ? PutSeveral(request, window) : PutOne(request, window); },
        totalSize);
    return Report(request, result);
}

int RunPlain(const Request &request, const LinkCall &call)
{
    return Report(request, CallWithWindow(call, 0));
}

const std::map<std::string, std::function<int(const Request &)>> &Commands()
{
    static const std::map<std::string, std::function<int(const Request &)>> commands = {
        {"list",
         [](const Request &r) {
             return RunStoring(r, [&](const char *path, KIVO_HWND window) {
                 return KIVO_LinkFileList(path, r.handheldName.c_str(), window);
             });
         }},
        {"get",
         [](const Request &r) {
             return RunStoring(r, [&](const char *path, KIVO_HWND window) {
                 return KIVO_LinkGetFile(path, r.handheldName.c_str(), window);
             });
         }},
        {"put", RunPut},
        {"delete",
         [](const Request &r) {
             return RunPlain(r, [&](KIVO_HWND window) { return KIVO_LinkDelFile(r.handheldName.c_str(), window); });
         }},
        {"release", [](const Request &r) { return RunPlain(r, KIVO_LinkRelease); }},
        {"text-send",
         [](const Request &r) {
             return RunPlain(r, [&](KIVO_HWND window) { return KIVO_AppTextSend(r.localPath.c_str(), window); });
         }},
        {"text-recv", [](const Request &r) { return RunStoring(r, KIVO_AppTextRecv); }},
        {"backup", RunBackup},
        {"restore", RunRestore},
    };
    return commands;
}

}  // namespace

bool IsLinkCommand(const std::string &command)
{
    return Commands().count(command) != 0;
}

int RunLinkCommand(const Request &request)
{
    const std::string problem = ApplyLinkSettings(request.link);
    if (!problem.empty())
        return ReportFailure(request.command, problem, kExitUsage);
    return Commands().at(request.command)(request);
}

}  // namespace cli
