#include "link_commands.h"

#include <cstdint>
#include <functional>
#include <map>
#include <numeric>

#include "backup_commands.h"
#include "detect_command.h"
#include "setting_layers.h"
#include "user_config.h"
#include "cancel_signal.h"
#include "link_report.h"
#include "link_settings.h"
#include "link_window.h"
#include "local_io.h"
#include "put_calls.h"
#include "put_lists.h"
#include "result_codes.h"
#include "staged_output.h"
#include "tessalink.h"

#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

using LinkCall = std::function<int32_t(KIVO_HWND)>;
// An export that stores what it receives into the file path.
using StoringCall = std::function<int32_t(const char *path, KIVO_HWND)>;

int Report(const Request &request, int32_t result)
{
    return ReportLinkResult(request.command, request.link, result, "", request.handheldName);
}

// The application text's end mark 0x1A stays in a file; a terminal would
// show it as a stray character.
void DropEndMarkForTerminal(const Request &request, const std::string &stage)
{
    if (request.command != "text-recv" || request.localPath != kStandardStream || ::isatty(STDOUT_FILENO) != 1)
        return;
    const uint64_t size = TextSizeWithoutEndMark(stage);
    if (size != FileSize(stage))
        static_cast<void>(::truncate(stage.c_str(), static_cast<off_t>(size)));
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
    DropEndMarkForTerminal(request, output.StagePath());
    const std::string stored = output.Commit();
    return stored.empty() ? kExitSuccess : ReportFileFailure(request.command, stored);
}

int32_t PutOne(const Request &request, KIVO_HWND window)
{
    return PutFileCall(request.localFiles.front(), request.handheldNames.front(), request.variant,
                       !request.noRelease, window);
}

int32_t PutSeveral(const Request &request, KIVO_HWND window)
{
    return PutFilesCall(JoinWithCr(request.localFiles), JoinWithCr(request.handheldNames), request.variant,
                        !request.noRelease, window);
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

// Each name on a connection of its own (a delete leaves the handheld holding
// the turn), stopping at the first that fails.
int RunDelete(const Request &request)
{
    for (const std::string &name : request.handheldNames) {
        const int32_t result =
            CallWithWindow([&](KIVO_HWND window) { return KIVO_LinkDelFile(name.c_str(), window); }, 0);
        if (result != KIVO_OK)
            return ReportLinkResult(request.command, request.link, result,
                                    request.handheldNames.size() > 1 ? name : "", name);
    }
    return kExitSuccess;
}

int RunPlain(const Request &request, const LinkCall &call)
{
    return Report(request, CallWithWindow(call, 0));
}

// The file is checked first, so that a failure names it.
int RunTextSend(const Request &request)
{
    std::vector<uint64_t> sizes;
    const std::string problem = CheckReadableFiles({request.localPath}, sizes);
    if (!problem.empty())
        return ReportFileFailure(request.command, problem);
    return Report(request, CallWithWindow(
                               [&](KIVO_HWND window) { return KIVO_AppTextSend(request.localPath.c_str(), window); },
                               sizes.front()));
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
        {"delete", RunDelete},
        {"release", [](const Request &r) { return RunPlain(r, KIVO_LinkRelease); }},
        {"text-send", RunTextSend},
        {"text-recv", [](const Request &r) { return RunStoring(r, KIVO_AppTextRecv); }},
        {"backup", RunBackup},
        {"restore", RunRestore},
    };
    return commands;
}

// get NAME DIR/ stores into DIR/NAME, as cp does. False when the path ends
// with '/' and is no directory.
bool ChooseLocalFileInDirectory(Request &request)
{
    std::string &path = request.localPath;
    struct stat status;
    const bool isDirectory = path != kStandardStream && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    if (!isDirectory)
        return path.empty() || path.back() != '/';
    const std::string name = LastNamePart(request.handheldName);
    if (name.empty())
        return true;  // the library then reports the directory as the file it cannot write
    path += (path.back() == '/' ? "" : "/") + name;
    return true;
}

}  // namespace

std::string WhereAwaited(const LinkSettings &link)
{
    std::string where = "mode " + std::to_string(link.mode) + ", " + link.device;
    if (link.baud != 0)
        where += ", " + std::to_string(link.baud) + " bit/s";
    return where;
}

bool IsLinkCommand(const std::string &command)
{
    return Commands().count(command) != 0 || command == "detect";
}

int RunLinkCommand(Request request)
{
    UserConfig config;
    config.path = UserConfigPath();
    const std::string malformed = LoadUserConfig(config);
    if (!malformed.empty())
        return ReportFailure(request.command, malformed, kExitUsage);
    if (request.command == "detect")
        return RunDetect(request, config);
    const SettingsOutcome settings = ResolveLinkSettings(request, config);
    if (!settings.problem.empty())
        return ReportFailure(request.command, settings.problem, settings.exitStatus);
    if (request.variant == 2 && request.link.mode != 2)
        return ReportFailure(request.command, "--variant 2 runs only in link mode 2 (--mode 2)", kExitUsage);
    if (request.command == "get" && !ChooseLocalFileInDirectory(request))
        return ReportFileFailure(request.command, "'" + request.localPath + "': No such directory");
    const std::string problem = ApplyLinkSettings(request.link);
    if (!problem.empty())
        return ReportFailure(request.command, problem, kExitUsage);
    LinkWindow::SetWaitPolicy({WhereAwaited(request.link), request.link.timeoutSeconds});
    return Commands().at(request.command)(request);
}

}  // namespace cli
