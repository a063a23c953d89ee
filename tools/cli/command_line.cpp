#include "command_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <limits>

#include <CLI/CLI.hpp>

#include "handheld_list.h"
#include "put_lists.h"
#include "result_codes.h"
#include "setting_keys.h"

namespace cli {

namespace {

constexpr int kMaxPort = std::numeric_limits<uint16_t>::max();
constexpr int32_t kLabelColumn = 12;

constexpr char kAbout[] = R"text(
Settings: the mode, the device, the speed, the block sizes and the time-out
come from the command line, else the environment (TESSALINK_MODE,
TESSALINK_COM<port> for the device, TESSALINK_BAUD, TESSALINK_SEND_BLOCK,
TESSALINK_RECV_BLOCK, TESSALINK_TIMEOUT), else the configuration file
($XDG_CONFIG_HOME/tessalink/config, else ~/.config/tessalink/config; see
"tessalink config"), else the defaults. The port COM<n> (1 in mode 0, 2 in
modes 1 and 2) opens the device named; when nothing names one, the tool says
so rather than guess. "tessalink detect" finds the mode the handheld answers
in. TESSALINK_TRACE=FILE (or --trace FILE) makes the library append a line for
each packet, frame and control byte it sends or receives to FILE. What list,
get, text-recv and backup receive replaces a file only once it has arrived
whole. On a terminal, a progress line on standard error shows how a transfer
goes, and what the call waits for when the handheld is silent; Ctrl-C cancels
it (exit status 130), and a second Ctrl-C ends the tool at once. backup and
restore end with a summary of the files, bytes and time on standard output.
"tessalink ui" serves the same as a page in the browser, on this machine
only: the page's address, with a fresh token, is the first line it prints.
)text";

// A setting given on the command line, checked as the configuration's value
// would be, and kept by its key until the environment and the file are added.
CLI::Option *AddSetting(CLI::App &command, Request &request, const std::string &option,
                        const std::vector<std::string> &keys, const std::string &description)
{
    return command
        .add_option_function<std::string>(
            option,
            [&request, keys](const std::string &value) {
                for (const std::string &key : keys)
                    request.givenSettings[key] = value;
            },
            description)
        ->check(CLI::Validator([keys](std::string &value) { return SettingValueProblem(keys.front(), value); },
                               "VALUE"));
}

void AddLinkOptions(CLI::App &command, Request &request)
{
    AddSetting(command, request, "--mode", {"mode"}, "Link mode 0, 1 or 2 (default 2)")->type_name("0|1|2");
    command.add_option("--port", request.link.port, "COM port number (default 1 in mode 0, 2 in modes 1 and 2)")
        ->check(CLI::Range(1, kMaxPort));
    AddSetting(command, request, "--device", {"device"},
               "Serial device or pseudo-terminal to open as the port (sets TESSALINK_COM<port>)")
        ->type_name("PATH");
    AddSetting(command, request, "--baud", {"baud"}, "Line speed in bit/s (default: the mode's own)")
        ->type_name("N");
    AddSetting(command, request, "--block-size", {"send-block", "recv-block"},
               "Send and receive block size of the packets, 4-8192")
        ->type_name("N");
    AddSetting(command, request, "--send-block", {"send-block"}, "Send block size of the packets, 4-8192")
        ->type_name("N");
    AddSetting(command, request, "--recv-block", {"recv-block"}, "Receive block size of the packets, 4-8192")
        ->type_name("N");
    AddSetting(command, request, "--timeout", {"timeout"},
               "Give up when the handheld has sent nothing for this many seconds (default: the library's "
               "own waits, up to six minutes)")
        ->type_name("SECONDS");
    command.add_option("--trace", request.link.traceFile,
                       "Append the library's trace of the conversation (each packet, frame and control "
                       "byte, decoded) to FILE (sets TESSALINK_TRACE)")
        ->type_name("FILE")
        ->check(CLI::Validator(
            [](const std::string &value) { return value.empty() ? std::string("give a file name") : ""; },
            "FILE"));
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
    AddLinkOptions(*command, request);
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

    CLI::App *del = AddLinkCommand(app, request, "delete",
                                   "Delete files on the handheld, one connection each, in order");
    del->add_option("names", request.handheldNames, "Names of the files on the handheld")->required();

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

    CLI::App *detect = AddLinkCommand(app, request, "detect",
                                      "Find the link mode the handheld answers in, trying each with a short limit");
    detect->add_flag("--save", request.saveDetected, "Write the mode found into the configuration");

    CLI::App *ui = AddLinkCommand(app, request, "ui",
                                  "Serve the handheld's files as a page in the browser, on this machine only");
    ui->add_option("--listen", request.listen,
                   "Address and port to serve on (default 127.0.0.1:8765; port 0: any free one); another "
                   "than this machine's own loopback lets other machines reach the page")
        ->type_name("HOST:PORT");
    ui->add_flag("--no-browser", request.noBrowser, "Print the page's address, but open no browser");

    CLI::App *config = app.add_subcommand("config", "Show or change the settings kept in the configuration file");
    config->require_subcommand(1);
    CLI::App *set = config->add_subcommand("set", "Keep a setting");
    set->add_option("key", request.configKey, "One of: " + SettingKeyList())->required();
    set->add_option("value", request.configValue, "Its value")->required();
    CLI::App *getKey = config->add_subcommand("get", "Print a kept setting (exit status 1 when it is not kept)");
    getKey->add_option("key", request.configKey, "One of: " + SettingKeyList())->required();
    CLI::App *unset = config->add_subcommand("unset", "Forget a kept setting");
    unset->add_option("key", request.configKey, "One of: " + SettingKeyList())->required();
    config->add_subcommand("list", "Print every kept setting, one \"key = value\" a line");

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
    const auto mode = request.givenSettings.find("mode");
    if (request.variant == 2 && mode != request.givenSettings.end() && mode->second != "2")
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
    if (request.command == "config") {
        request.configAction = command.get_subcommands().front()->get_name();
        if (request.configAction != "list" && !IsSettingKey(request.configKey))
            throw CLI::ValidationError("config " + request.configAction,
                                       "unknown setting \"" + request.configKey + "\" (the settings: " +
                                           SettingKeyList() + ")");
        if (request.configAction == "set") {
            const std::string problem = SettingValueProblem(request.configKey, request.configValue);
            if (!problem.empty())
                throw CLI::ValidationError("config set", problem);
        }
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

bool HasSubcommand(const CLI::App &app, const std::string &name)
{
    for (const CLI::App *command : app.get_subcommands({}))
        if (command->get_name() == name)
            return true;
    return false;
}

// The first word when it names no subcommand: "ls" is taken for "list".
std::string UnknownSubcommandMessage(const CLI::App &app, const std::string &word)
{
    static const std::vector<std::pair<std::string, std::string>> usual = {
        {"ls", "list"}, {"dir", "list"}, {"rm", "delete"}, {"del", "delete"}, {"send", "put"},
        {"fetch", "get"}, {"receive", "get"}, {"save", "backup"}};
    std::string suggestion;
    for (const auto &[alias, name] : usual)
        if (word == alias)
            suggestion = name;
    for (const CLI::App *command : app.get_subcommands({}))
        if (suggestion.empty() && command->get_name().rfind(word, 0) == 0)
            suggestion = command->get_name();
    return "tessalink: no subcommand \"" + word + "\"" +
           (suggestion.empty() ? "" : ": did you mean \"" + suggestion + "\"?") +
           " (tessalink --help lists them)";
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
    // "tessalink help [SUBCOMMAND]" is "tessalink [SUBCOMMAND] --help".
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments.front() == "help") {
        arguments.erase(arguments.begin());
        arguments.resize(std::min<size_t>(arguments.size(), 1));
        arguments.push_back("--help");
    }
    if (!arguments.empty() && arguments.front()[0] != '-' && !HasSubcommand(app, arguments.front())) {
        std::fprintf(stderr, "%s\n", UnknownSubcommandMessage(app, arguments.front()).c_str());
        outcome.exitStatus = kExitUsage;
        return outcome;
    }
    std::reverse(arguments.begin(), arguments.end());
    try {
        app.parse(arguments);
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
