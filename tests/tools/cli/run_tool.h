// Runs the tessalink program as its own process, with the given standard
// input, and collects what it writes and its exit status.
#ifndef TESSALINK_TESTS_TOOLS_CLI_RUN_TOOL_H
#define TESSALINK_TESTS_TOOLS_CLI_RUN_TOOL_H

#include <string>
#include <vector>

struct ToolRun {
    int exitStatus = -1;  // -1: the program did not end normally
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::vector<std::string> &arguments, const std::string &input = "");

// The names in a directory, "." and ".." left out.
std::vector<std::string> DirectoryEntries(const std::string &directory);

#endif
