#include "ui_command.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <chrono>
#include <thread>

#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <httplib.h>

#include "access_token.h"
#include "private_directory.h"
#include "result_codes.h"
#include "ui_server.h"
#include "user_config.h"

extern char **environ;

namespace ui {

using cli::LoadUserConfig;
using cli::ReportFailure;
using cli::ReportFileFailure;
using cli::Request;
using cli::UserConfig;
using cli::UserConfigPath;
using cli::kExitCannotListen;
using cli::kExitSuccess;
using cli::kExitUnexpectedResult;
using cli::kExitUsage;


namespace {

constexpr size_t kServerThreads = 32;
constexpr int kStartMilliseconds = 10000;

// The browser is opened on a small file of the user's own that leads to the
// page: the token never appears in the list of running programs, which
// every user of the machine can read.
void OpenBrowser(const std::string &url, const std::string &directory)
{
    const std::string file = directory + "/open.html";
    {
        std::ofstream out(file);
        out << "<!doctype html><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" content=\"0; url=" << url
            << "\"><title>Tessalink</title><a href=\"" << url << "\">Open the handheld's page</a>\n";
        if (!out)
            return;
    }
    const char *argv[] = {"xdg-open", file.c_str(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char *const *>(argv), environ) != 0) {
        std::fprintf(stderr, "tessalink ui: no browser could be opened (xdg-open is missing): open the address "
                             "above yourself\n");
        return;
    }
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
}

// SIGINT and SIGTERM wait for the main thread, which asks them with sigwait;
// every other thread is started with them blocked.
sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

int RunUi(const Request &request)
{
    ListenAddress address;
    std::string problem = ParseListenAddress(request.listen, address);
    if (!problem.empty())
        return ReportFailure("ui", "--listen " + request.listen + ": " + problem, kExitUsage);
    UserConfig config;
    config.path = UserConfigPath();
    problem = LoadUserConfig(config);
    if (!problem.empty())
        return ReportFailure("ui", problem, kExitUsage);
    const std::string token = NewAccessToken();
    if (token.empty())
        return ReportFailure("ui", "the system gave no random bytes for the token", kExitUnexpectedResult);

    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PrivateDirectory work(TemporaryDirectoryRoot(), "tessalink-ui-");
    if (work.Path().empty())
        return ReportFileFailure("ui", "cannot make a private directory in " + TemporaryDirectoryRoot());
    UiSettings settings(request, config, TessalinkEnvironment());
    EventHub events;
    LinkWorker worker(events);
    httplib::Server server;
    server.set_payload_max_length(kHandheldFileBound + 1024 * 1024);
    // Each open page holds a thread for its events, and a browser keeps a
    // few more connections open: more threads than the library's default.
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // The library's default shares the port with another server of the
    // user's (SO_REUSEPORT), which would then get half the page's requests.
    server.set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const int port = address.port == 0 ? server.bind_to_any_port(address.host)
                                       : (server.bind_to_port(address.host, address.port) ? address.port : -1);
    if (port <= 0)
        return ReportFailure("ui", "cannot listen on " + address.Authority() +
                                       ": is another program using it? give another with --listen " +
                                       address.host + ":PORT",
                             kExitCannotListen);
    address.port = port;
    UiContext context{settings, worker, events,
                      GuardRules{address, port, token, "tessalink-token-" + std::to_string(port)}, work.Path()};
    MountUi(server, context);

    // The address is told once the server takes requests: a stop asked
    // before that would find nothing to stop.
    std::thread listener([&server] { server.listen_after_bind(); });
    for (int waited = 0; !server.is_running() && waited < kStartMilliseconds; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!server.is_running()) {
        server.stop();
        listener.join();
        return ReportFailure("ui", "the server did not start on " + address.Authority(), kExitCannotListen);
    }
    const std::string url = "http://" + address.Authority() + "/?token=" + token;
    std::printf("%s\n", url.c_str());
    std::fflush(stdout);
    if (!address.IsLoopback())
        std::fprintf(stderr, "tessalink ui: listening on %s, which other machines can reach: anyone who has the "
                             "token can use the handheld\n", address.Authority().c_str());
    const SettingsView view = settings.Current();
    if (!view.problem.empty())
        std::fprintf(stderr, "tessalink ui: %s (the page's settings can name it too)\n", view.problem.c_str());
    std::fprintf(stderr, "tessalink ui: serving the page; Ctrl-C stops\n");

    if (!request.noBrowser)
        OpenBrowser(url, work.Path());
    int signal = 0;
    sigwait(&signals, &signal);
    std::fprintf(stderr, "tessalink ui: stopping%s\n", worker.Current() ? ", cancelling the running job" : "");
    worker.Stop();
    events.Stop();
    server.stop();
    listener.join();
    return kExitSuccess;
}

}  // namespace ui
