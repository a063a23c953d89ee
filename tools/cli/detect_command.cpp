#include "detect_command.h"

#include <cstdio>

#include "link_settings.h"
#include "link_window.h"
#include "result_codes.h"
#include "setting_layers.h"
#include "staged_output.h"
#include "tessalink.h"

namespace cli {

namespace {

struct Attempt {
    std::string problem;  // the settings could not be used: why
    LinkSettings link;
    int32_t result = KIVO_ERR_NO_CONNECTION;
};

Attempt TryMode(const Request &parsed, const UserConfig &config, int mode)
{
    Attempt attempt;
    Request request = parsed;
    request.givenSettings["mode"] = std::to_string(mode);
    const SettingsOutcome settings = ResolveLinkSettings(request, config);
    attempt.link = request.link;
    if (!settings.problem.empty()) {
        attempt.problem = settings.problem;
        return attempt;
    }
    if (request.givenSettings.count("timeout") == 0)
        attempt.link.timeoutSeconds = kDetectLimitSeconds;
    attempt.problem = ApplyLinkSettings(attempt.link);
    if (!attempt.problem.empty())
        return attempt;
    StagedOutput list("-");
    attempt.problem = list.Create();
    if (!attempt.problem.empty())
        return attempt;
    LinkWindow::SetWaitPolicy({"", attempt.link.timeoutSeconds});
    LinkWindow window(0, false);
    attempt.result = KIVO_LinkFileList(list.StagePath().c_str(), "", window.Handle());
    return attempt;
}

}  // namespace

int RunDetect(const Request &request, UserConfig &config)
{
    std::vector<std::string> devices;
    for (int mode = 0; mode <= 2; ++mode) {
        const Attempt attempt = TryMode(request, config, mode);
        if (!attempt.problem.empty()) {
            std::fprintf(stderr, "mode %d: not tried: %s\n", mode, attempt.problem.c_str());
            continue;
        }
        devices.push_back(attempt.link.device);
        if (attempt.result != KIVO_OK) {
            const bool silent = attempt.result == KIVO_CANCELLED && LinkWindow::LastCall().timedOut;
            std::fprintf(stderr, "mode %d on %s: %s\n", mode, attempt.link.device.c_str(),
                         silent ? ("no answer in " + std::to_string(static_cast<int>(attempt.link.timeoutSeconds)) +
                                   " s").c_str()
                                : WhatHappened(attempt.result).c_str());
            continue;
        }
        std::printf("the handheld answers in mode %d on %s\n", mode, attempt.link.device.c_str());
        if (!request.saveDetected)
            return kExitSuccess;
        config.values["mode"] = std::to_string(mode);
        if (request.givenSettings.count("device") != 0)
            config.values["device"] = attempt.link.device;
        const std::string problem = SaveUserConfig(config);
        if (!problem.empty())
            return ReportFileFailure(request.command, problem);
        std::printf("saved in %s\n", config.path.c_str());
        return kExitSuccess;
    }
    return ReportFailure(request.command,
                         devices.empty()
                             ? std::string("no mode could be tried: name the device with --device PATH")
                             : "the handheld answered in no mode: is it on, in link mode, and on this cable? "
                               "Then try again (a longer --timeout gives it more time)",
                         kExitNotDetected);
}

}  // namespace cli
