// One run of the tool, as the command line asked for it.
#ifndef TESSALINK_CLI_REQUEST_H
#define TESSALINK_CLI_REQUEST_H

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// The connection a link subcommand uses. Zero in port, baud and blockSize
// means "not given".
struct LinkSettings {
    int mode = 2;
    int port = 0;
    std::string device;
    int32_t baud = 0;
    int32_t blockSize = 0;

    // The given port, else the mode's usual one: 1 in mode 0, 2 in modes 1 and 2.
    int EffectivePort() const;
};

struct Request {
    std::string command;
    LinkSettings link;

    // list: the list request's argument; get, delete: the name on the handheld.
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

    // put
    std::vector<std::string> localFiles;
    std::vector<std::string> handheldNames;
    bool noRelease = false;
    int variant = 1;  // put, restore

    // conversions ("-" is standard input or output)
    std::string input = "-";
    std::string output = "-";
    int32_t width = 0;
    int32_t valueWidth = 0;
};

}  // namespace cli

#endif
