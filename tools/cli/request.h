// One run of the tool, as the command line asked for it.
#ifndef TESSALINK_CLI_REQUEST_H
#define TESSALINK_CLI_REQUEST_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cli {

// The connection a link subcommand uses, once the command line, the
// environment and the configuration file have been taken together. Zero in
// port, baud, the block sizes and the time-out means "not given".
struct LinkSettings {
    int mode = 2;
    int port = 0;
    std::string device;  // "": none named
    int32_t baud = 0;
    int32_t sendBlock = 0;
    int32_t recvBlock = 0;
    double timeoutSeconds = 0;
    // --trace: the library's trace file for this run ("": TESSALINK_TRACE as
    // the environment has it).
    std::string traceFile;

    // The given port, else the mode's usual one: 1 in mode 0, 2 in modes 1 and 2.
    int EffectivePort() const;
};

struct Request {
    std::string command;
    LinkSettings link;
    // The settings as the command line gave them, by configuration key
    // ("mode", "device"...), before the environment and the file are added.
    std::map<std::string, std::string> givenSettings;

    // config: the action (set, get, unset, list), its key and value
    std::string configAction;
    std::string configKey;
    std::string configValue;

    // detect: write the mode found into the configuration
    bool saveDetected = false;

    // list: the list request's argument; get: the name on the handheld.
    std::string handheldName;
    // list, get, text-recv: where to store; text-send: what to send ("-" is
    // standard output for the stores).
    std::string localPath;

    // backup, restore: the directory the files are kept in
    std::string directory;
    // backup: shell patterns of the names to fetch (none: every file)
    std::vector<std::string> onlyPatterns;
    // restore: the files of the directory to send (none: every regular file)
    std::vector<std::string> selectedFiles;

    // put: the files to send and their names on the handheld; delete: the
    // names to delete.
    std::vector<std::string> localFiles;
    std::vector<std::string> handheldNames;
    bool noRelease = false;
    int variant = 1;  // put, restore

    // ui: the address the page is served on, and whether to open a browser
    std::string listen = "127.0.0.1:8765";
    bool noBrowser = false;

    // conversions ("-" is standard input or output)
    std::string input = "-";
    std::string output = "-";
    int32_t width = 0;
    int32_t valueWidth = 0;
};

}  // namespace cli

#endif
