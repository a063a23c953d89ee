#include "command_line.h"

#include <cstdint>
#include <limits>

#include <CLI/CLI.hpp>

#include "handheld_list.h"
#include "put_lists.h"
#include "result_codes.h"

namespace cli {

namespace {

constexpr int kMaxPort = std::numeric_limits<uint16_t>::max();
constexpr int32_t kMaxBaud = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinBlockSize = 4;
constexpr int32_t kMaxBlockSize = 8192;
constexpr int32_t kLabelColumn = 12;

constexpr char kAbout[] = R"text(
The port: COM<n> opens the device named in the environment variable
TESSALINK_COM<n>, else /dev/ttyS<n-1>; --device sets that variable for the
call. What list, get, text-recv and backup receive replaces a file only once
it has arrived whole. On a terminal, a progress line on standard error shows
how a transfer goes; Ctrl-C cancels it (exit status 130), and a second Ctrl-C
ends the tool at once. backup and restore end with a summary of the files,
bytes and time on standard output.
)text";

// The library stores any block size, and then refuses every link call with
// -999: a size outside its range is refused here, named for what it is.
CLI::Validator UsableBlockSize()
{
    return CLI::Validator(
        [](std::string &value) -> std::string {
            int32_t size = 0;
            if (CLI::detail::lexical_cast(value, size) && size >= kMinBlockSize && size <= kMaxBlockSize)
                return "";
            return "unusable block size " + value + ": the packets take " + std::to_string(kMinBlockSize) +
                   " to " + std::to_string(kMaxBlockSize) + " bytes";
        },
        "INT in [" + std::to_string(kMinBlockSize) + " - " + std::to_string(kMaxBlockSize) + "]");
}

void AddLinkOptions(CLI::App &command, LinkSettings &link)
{
    command.add_option("--mode", link.mode, "Link mode 0, 1 or 2 (default 2)")->check(CLI::Range(0, 2));
    command.add_option("--port", link.port, "COM port number (default 1 in mode 0, 2 in modes 1 and 2)")
        ->check(CLI::Range(1, kMaxPort));
    command.add_option("--device", link.device,
                       "Serial device or pseudo-terminal to open as the port (sets TESSALINK_COM<port>)");
    command.add_option("--baud", link.baud, "Line speed in bit/s (default: the mode's own)")
        ->check(CLI::Range(1, kMaxBaud));
    command.add_option("--block-size", link.blockSize, "Send and receive block size of the packets, 4-8192")
        ->check(UsableBlockSize());
}

// How put and restore send each file.
void AddVariantOption(CLI::App &command, int &variant)
{
    command.add_option("--variant", variant, "1: packets (any mode); 2: size announced, unframed chunks (mode 2 only)")
        ->check(CLI::Range(1, 2));
}

CLI::App *AddLinkCommand(CLI::App &app, Request &request, const std::string &name,
                         const std::string &description)
{
    CLI::App *command = app.add_subcommand(name, description);
    AddLinkOptions(*command, request.link);
    return command;
}

CLI::App *AddConversion(CLI::App &app, Request &request, const std::string &name,
                        const std::string &description)
{
    CLI::App *command = app.add_subcommand(name, description);
    command->add_option("input", request.input, "Input text file (default or \"-\": standard input)");
    command->add_option("-o,--output", request.output, "Output file (default or \"-\": standard output)");
    return command;
}

void AddCommands(CLI::App &app, Request &request)
{
    CLI::App *list = AddLinkCommand(app, request, "list", "Store the handheld's file list");
    list->add_option("argument", request.handheldName,
                     "Argument of the list request, passed to the handheld unchanged (default empty)");
    list->add_option("-o,--output", request.localPath, "Where to store the list (default \"-\": standard output)");

    CLI::App *get = AddLinkCommand(app, request, "get", "Fetch a file from the handheld");
    get->add_option("name", request.handheldName, "Name of the file on the handheld")->required();
    get->add_option("local", request.localPath,
                    "Where to store it (default: the name's last part; \"-\": standard output)");

    CLI::App *put = AddLinkCommand(app, request, "put", "Send one or several files to the handheld");
    put->add_option("files", request.localFiles, "Local files to send")->required();
    put->add_option("--as", request.handheldNames,
                    "Names on the handheld, one per file in order (default: the local file names)");
    put->add_flag("--no-release", request.noRelease, "Do not send the release after the transfer");
    AddVariantOption(*put, request.variant);

    CLI::App *del = AddLinkCommand(app, request, "delete", "Delete a file on the handheld");
    del->add_option("name", request.handheldName, "Name of the file on the handheld")->required();

    AddLinkCommand(app, request, "release", "Send the release on a connection of its own");

    CLI::App *textSend = AddLinkCommand(app, request, "text-send", "Send a text file as the application text");
    textSend->add_option("file", request.localPath, "Text file to send")->required();

    CLI::App *textRecv = AddLinkCommand(app, request, "text-recv", "Receive the application text");
    textRecv->add_option("file", request.localPath, "Where to store it (default \"-\": standard output)");

    CLI::App *backup = AddLinkCommand(app, request, "backup",
                                      "Fetch every file of the handheld into a directory (made if missing)");
    backup->add_option("directory", request.directory, "Directory to store the files in")->required();
    backup->add_option("--only", request.onlyPatterns,
                       "Fetch only the files whose names match this shell pattern (*, ?, [...]; any case); "
                       "may be given more than once");

    CLI::App *restore = AddLinkCommand(app, request, "restore",
                                       "Send the files of a directory to the handheld over one connection, "
                                       "then the release");
    restore->add_option("directory", request.directory, "Directory that holds the files")->required();
    restore->add_option("files", request.selectedFiles,
                        "Names of the files in the directory to send (default: every regular file)");
    AddVariantOption(*restore, request.variant);

    AddConversion(app, request, "decode43", "Decode a 4-to-3 text into bytes");
    AddConversion(app, request, "hex2bin",
                  "Convert pairs of hexadecimal digits into bytes (line ends closing the input are dropped)");
    AddConversion(app, request, "codemask", "Mask the double-byte codes that the handheld cannot show");
    CLI::App *mem = AddConversion(app, request, "layout-mem",
                                  "Lay out a text (one string per input line) in lines of a width");
    mem->add_option("--width", request.width, "Line width in bytes (0: no wrapping)");
    CLI::App *rep = AddConversion(app, request, "layout-rep",
                                  "Lay out a labelled text (label, tab, value; one string per input line)");
    rep->add_option("--width", request.width, "Width of one-column lines in bytes (0: no wrapping)");
    rep->add_option("--value-width", request.valueWidth,
                    "Width of the value column (default: width less the 12-byte label column)");
}

// Checks that cross options or take the request's values together, and the
// defaults that depend on other values.
void CheckRequest(const CLI::App &command, Request &request)
{
    if (request.variant == 2 && request.link.mode != 2)
        throw CLI::ValidationError("--variant 2", "runs only in link mode 2 (--mode 2)");
    for (const std::string &file : request.selectedFiles) {
        const std::string problem = LocalNameProblem(file);
        if (!problem.empty())
            throw CLI::ValidationError("restore", problem + ": give names of files in the directory");
    }
    if (request.command == "put") {
        const std::string problem = CompleteHandheldNames(request.localFiles, request.handheldNames);
        if (!problem.empty())
            throw CLI::ValidationError("put", problem);
    }
    if (request.command == "get" && request.localPath.empty()) {
        request.localPath = LastNamePart(request.handheldName);
        if (request.localPath.empty())
            throw CLI::ValidationError("get", "give the local file: the name has no usable last part");
    }
    if (request.command == "layout-rep" && command.count("--value-width") == 0)
        request.valueWidth = request.width > kLabelColumn ? request.width - kLabelColumn : 0;
    if (request.command == "list" || request.command == "text-recv") {
        if (request.localPath.empty())
            request.localPath = "-";
    }
}

}  // namespace

ParseOutcome ParseCommandLine(int argc, const char *const argv[])
{
    ParseOutcome outcome;
    CLI::App app("Links this computer to the handheld organizer over a serial line, and converts texts.",
                 "tessalink");
    app.set_version_flag("--version", std::string("tessalink ") + TESSALINK_VERSION,
                         "Print the version of the tool and its library and exit");
    app.require_subcommand(1);
    app.footer(std::string(kAbout) + "\n" + ExitStatusHelp());
    AddCommands(app, outcome.request);
    try {
        app.parse(argc, argv);
        outcome.request.command = app.get_subcommands().front()->get_name();
        CheckRequest(*app.get_subcommands().front(), outcome.request);
        outcome.run = true;
    } catch (const CLI::ParseError &error) {
        const int status = app.exit(error);
        outcome.exitStatus = status == 0 ? kExitSuccess : kExitUsage;
    }
    return outcome;
}

}  // namespace cli
