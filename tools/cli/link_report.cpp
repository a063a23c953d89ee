#include "link_report.h"

#include "port_diagnosis.h"
#include "result_codes.h"
#include "tessalink.h"

namespace cli {

std::string LinkFailureMessage(const LinkSettings &link, int32_t result)
{
    if (result == KIVO_ERR_NO_CONNECTION) {
        const std::string problem = DeviceProblem(PortDevicePath(link.EffectivePort()));
        if (!problem.empty())
            return "no connection: " + problem + " (result " + std::to_string(result) + ")";
    }
    return MessageFor(result);
}

int ReportLinkResult(const std::string &command, const LinkSettings &link, int32_t result,
                     const std::string &subject)
{
    if (result == KIVO_OK)
        return kExitSuccess;
    const std::string message = LinkFailureMessage(link, result);
    return ReportFailure(command, subject.empty() ? message : subject + ": " + message, ExitStatusFor(result));
}

}  // namespace cli
