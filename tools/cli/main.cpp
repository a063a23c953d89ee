// tessalink: links this computer to the handheld organizer from the command
// line, through the library's exports.
#include "command_line.h"
#include "config_command.h"
#include "convert_commands.h"
#include "link_commands.h"
#include "result_codes.h"
#include "ui_command.h"

int main(int argc, char *argv[])
{
    const cli::ParseOutcome outcome = cli::ParseCommandLine(argc, argv);
    if (!outcome.run)
        return outcome.exitStatus;
    const cli::Request &request = outcome.request;
    if (cli::IsLinkCommand(request.command))
        return cli::RunLinkCommand(request);
    if (request.command == "ui")
        return ui::RunUi(request);
    if (request.command == "config")
        return cli::RunConfigCommand(request);
    if (cli::IsConversion(request.command))
        return cli::RunConversion(request);
    return cli::ReportFailure(request.command, "unknown subcommand", cli::kExitUsage);
}
