#include "result_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "result_table_text.h"
#include "tessalink.h"

namespace cli {

namespace {

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos)
            return parts;
        at = end + 1;
    }
}

std::vector<ResultMeaning> ParseTable(const std::string &text)
{
    std::vector<ResultMeaning> table;
    for (const std::string &line : Split(text, '\n')) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = Split(line, '\t');
        if (fields.size() != 5)
            continue;
        ResultMeaning row;
        row.result = static_cast<int32_t>(std::strtol(fields[0].c_str(), nullptr, 10));
        row.when = fields[1];
        row.exitStatus = fields[2] == "-" ? -1 : std::atoi(fields[2].c_str());
        row.message = fields[3];
        row.next = fields[4] == "-" ? "" : fields[4];
        table.push_back(row);
    }
    // A row for one circumstance takes the exit status of the result's own row.
    for (ResultMeaning &row : table) {
        if (row.exitStatus >= 0)
            continue;
        for (const ResultMeaning &general : table)
            if (general.result == row.result && general.when == "*")
                row.exitStatus = general.exitStatus;
    }
    return table;
}

const ResultMeaning *Row(int32_t result, const std::string &when)
{
    for (const ResultMeaning &row : ResultTable())
        if (row.result == result && row.when == when)
            return &row;
    return nullptr;
}

// The row that fits the circumstances best: the tool's time-out, then the
// subcommand's own words, then a long silence, then the result's own row.
const ResultMeaning *Find(int32_t result, const FailureContext &context)
{
    const ResultMeaning *row = nullptr;
    if (context.timeout > 0)
        row = Row(result, "timeout");
    if (row == nullptr && !context.command.empty() && !context.name.empty())
        row = Row(result, context.command);
    if (row == nullptr && context.silent)
        row = Row(result, "silent");
    return row != nullptr ? row : Row(result, "*");
}

std::string Fill(std::string text, const FailureContext &context)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", context.timeout);
    const std::pair<std::string, std::string> fields[] = {
        {"{name}", context.name},
        {"{device}", context.device.empty() ? "the port" : context.device},
        {"{mode}", context.mode >= 0 ? std::to_string(context.mode) : "?"},
        {"{timeout}", seconds},
    };
    for (const auto &[field, value] : fields)
        for (size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size()))
            text.replace(at, field.size(), value);
    return text;
}

}  // namespace

const std::vector<ResultMeaning> &ResultTable()
{
    static const std::vector<ResultMeaning> table = ParseTable(kResultTableText);
    return table;
}

int ExitStatusFor(int32_t result, const FailureContext &context)
{
    const ResultMeaning *meaning = Find(result, context);
    return meaning != nullptr ? meaning->exitStatus : kExitUnexpectedResult;
}

std::string WhatHappened(int32_t result, const FailureContext &context)
{
    const ResultMeaning *meaning = Find(result, context);
    const std::string text = meaning != nullptr ? Fill(meaning->message, context) : "unexpected result";
    return text + " (result " + std::to_string(result) + ")";
}

std::string NextStep(int32_t result, const FailureContext &context)
{
    const ResultMeaning *meaning = Find(result, context);
    return meaning != nullptr ? Fill(meaning->next, context) : "";
}

std::string MessageFor(int32_t result, const FailureContext &context)
{
    const std::string next = NextStep(result, context);
    return WhatHappened(result, context) + (next.empty() ? "" : ": " + next);
}

int ReportResult(const std::string &command, int32_t result)
{
    if (result == KIVO_OK)
        return kExitSuccess;
    return ReportFailure(command, MessageFor(result), ExitStatusFor(result));
}

int ReportFailure(const std::string &command, const std::string &message, int exitStatus)
{
    std::fprintf(stderr, "tessalink %s: %s\n", command.c_str(), message.c_str());
    return exitStatus;
}

int ReportFileFailure(const std::string &command, const std::string &detail)
{
    return ReportFailure(command, WhatHappened(KIVO_ERR_FILE) + ": " + detail, ExitStatusFor(KIVO_ERR_FILE));
}

std::string ExitStatusHelp()
{
    std::vector<std::pair<int, std::string>> lines = {
        {kExitUnexpectedResult, "any other result"},
        {kExitUsage, "wrong usage: unknown option, missing or invalid argument, or a malformed configuration"},
        {kExitBadInput, "a conversion's input holds a zero byte"},
        {kExitNotDetected, "detect: the handheld answered in no mode"},
        {kExitCannotListen, "ui: the page cannot be served on the address (in use, or not this machine's)"},
    };
    for (const ResultMeaning &meaning : ResultTable()) {
        if (meaning.result == KIVO_OK)
            lines.emplace_back(meaning.exitStatus, "success");
        else if (meaning.when == "*")
            lines.emplace_back(meaning.exitStatus,
                               "result " + std::to_string(meaning.result) + ": " + meaning.message);
        else if (meaning.when == "timeout")
            lines.emplace_back(meaning.exitStatus, "--timeout: no answer came in time");
    }
    std::sort(lines.begin(), lines.end());
    std::string text = "Exit status:\n";
    for (const auto &[status, what] : lines) {
        char number[8];
        std::snprintf(number, sizeof number, "%5d", status);
        text += std::string(number) + "  " + what + "\n";
    }
    return text;
}

}  // namespace cli
