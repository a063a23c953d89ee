// What each result of the library means to a person, and the exit status the
// tool ends with for it.
#ifndef TESSALINK_CLI_RESULT_CODES_H
#define TESSALINK_CLI_RESULT_CODES_H

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// Exit statuses of the tool's own, outside the table of library results.
constexpr int kExitSuccess = 0;
constexpr int kExitUnexpectedResult = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBadInput = 5;

struct ResultMeaning {
    int32_t result;
    int exitStatus;
    const char *message;
};

// Every result a link or conversion export can return.
const std::vector<ResultMeaning> &ResultTable();

// The exit status for a result; kExitUnexpectedResult for one outside the table.
int ExitStatusFor(int32_t result);

// A one-line message for a failed result, e.g. "cancelled (result 999)".
std::string MessageFor(int32_t result);

// Prints "tessalink <command>: <message>" on standard error when the result
// is a failure, and returns its exit status.
int ReportResult(const std::string &command, int32_t result);

// A failure of the tool's own: one line on standard error, the status returned.
int ReportFailure(const std::string &command, const std::string &message, int exitStatus);

// A local file of the tool's that failed, reported as the file error.
int ReportFileFailure(const std::string &command, const std::string &detail);

// The table of exit statuses, as the help text shows it.
std::string ExitStatusHelp();

}  // namespace cli

#endif
