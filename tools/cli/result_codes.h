// What each result of the library means to a person, what to do next, and the
// exit status the tool ends with for it. The words are the table in
// messages/results.tsv, built into the tool.
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
constexpr int kExitNotDetected = 6;
constexpr int kExitCannotListen = 7;

struct ResultMeaning {
    int32_t result = 0;
    std::string when;  // "*": any call; a subcommand; "silent"; "timeout"
    int exitStatus = 0;
    std::string message;
    std::string next;  // "" : no next step
};

// Every row of the table.
const std::vector<ResultMeaning> &ResultTable();

// The circumstances of a failed call, which choose and complete its words.
struct FailureContext {
    std::string command;  // the subcommand
    std::string name;     // the name on the handheld, where there is one
    std::string device;   // the port's device
    int mode = -1;
    bool silent = false;    // the handheld was silent long before the failure
    double timeout = 0;     // > 0: the tool gave up waiting after so many seconds
};

// The exit status for a result; kExitUnexpectedResult for one outside the table.
int ExitStatusFor(int32_t result, const FailureContext &context = {});

// A one-line message for a failed result: what happened, the result, and the
// likely next step, e.g. "the handheld did not send MEMO.TXT (result -100):
// is the name right? see `tessalink list`".
std::string MessageFor(int32_t result, const FailureContext &context = {});

// The same without the next step, with the result: "cancelled (result 999)".
std::string WhatHappened(int32_t result, const FailureContext &context = {});

// The next step alone, "" when there is none.
std::string NextStep(int32_t result, const FailureContext &context = {});

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
