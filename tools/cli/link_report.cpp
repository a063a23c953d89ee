#include "link_report.h"

#include "link_window.h"
#include "port_diagnosis.h"
#include "result_codes.h"
#include "tessalink.h"

namespace cli {

namespace {

// A failure after this long without a byte from the handheld is told as
// "no answer": the handheld is most likely not listening in this mode.
constexpr double kLongSilenceSeconds = 20;

FailureContext ContextOf(const std::string &command, const LinkSettings &link, int32_t result,
                         const std::string &name, const CallWatch &watch = LinkWindow::LastCall())
{
    FailureContext context;
    context.command = command;
    context.name = name;
    context.device = PortDevicePath(link.EffectivePort());
    context.mode = link.mode;
    context.silent = watch.longestSilence >= kLongSilenceSeconds;
    if (result == KIVO_CANCELLED && watch.timedOut)
        context.timeout = link.timeoutSeconds;
    return context;
}

}  // namespace

LinkFailureWords DescribeLinkFailure(const std::string &command, const LinkSettings &link, int32_t result,
                                     const std::string &name, const CallWatch &watch)
{
    const FailureContext context = ContextOf(command, link, result, name, watch);
    LinkFailureWords words{WhatHappened(result, context), NextStep(result, context)};
    if (result == KIVO_ERR_NO_CONNECTION) {
        const std::string problem = DeviceProblem(context.device);
        if (!problem.empty())
            words.what = "no connection: " + problem + " (result " + std::to_string(result) + ")";
    }
    return words;
}

std::string LinkFailureMessage(const std::string &command, const LinkSettings &link, int32_t result,
                               const std::string &name)
{
    const LinkFailureWords words = DescribeLinkFailure(command, link, result, name, LinkWindow::LastCall());
    return words.next.empty() ? words.what : words.what + ": " + words.next;
}

int ReportLinkResult(const std::string &command, const LinkSettings &link, int32_t result,
                     const std::string &subject, const std::string &name)
{
    if (result == KIVO_OK)
        return kExitSuccess;
    const std::string message = LinkFailureMessage(command, link, result, name);
    return ReportFailure(command, subject.empty() ? message : subject + ": " + message,
                         ExitStatusFor(result, ContextOf(command, link, result, name)));
}

}  // namespace cli
