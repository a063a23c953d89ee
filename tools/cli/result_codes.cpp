#include "result_codes.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "tessalink.h"

namespace cli {

const std::vector<ResultMeaning> &ResultTable()
{
    static const std::vector<ResultMeaning> table = {
        {KIVO_OK, kExitSuccess, "done"},
        {KIVO_ERR_NO_CONNECTION, 3,
         "no connection: the port could not be opened or is no serial device, or a setting is unusable"},
        {KIVO_ERR_FILE, 4, "a local file could not be opened, read or written"},
        {KIVO_CANCELLED, 130, "cancelled"},
        {KIVO_ERR_WRONG_REPLY, 10, "the handheld's reply was not the one expected"},
        {KIVO_ERR_NO_DOK, 11, "the handheld did not answer the command with \"DOK\""},
        {KIVO_ERR_PACKET, 12, "the packet exchange failed (rejected three times, or the request does not fit)"},
        {KIVO_ERR_PACKET_CANCEL, 13, "the handheld cancelled the packet exchange"},
        {KIVO_ERR_BLOCK_RECV, 21, "a block could not be received in three attempts"},
        {KIVO_ERR_BLOCK_SEND, 22, "a block could not be sent in three attempts"},
        {KIVO_ERR_NOT_CONTROL, 23, "a control frame was awaited, another frame came"},
        {KIVO_ERR_NOT_DATA, 24, "a data frame was awaited, another frame came"},
        {KIVO_ERR_BAD_HEADER, 25, "a data frame carried a wrong header"},
        {KIVO_ERR_BLOCK_CANCEL, 26, "the handheld cancelled the block exchange"},
    };
    return table;
}

namespace {

const ResultMeaning *Find(int32_t result)
{
    for (const ResultMeaning &meaning : ResultTable())
        if (meaning.result == result)
            return &meaning;
    return nullptr;
}

}  // namespace

int ExitStatusFor(int32_t result)
{
    const ResultMeaning *meaning = Find(result);
    return meaning != nullptr ? meaning->exitStatus : kExitUnexpectedResult;
}

std::string MessageFor(int32_t result)
{
    const ResultMeaning *meaning = Find(result);
    const std::string text = meaning != nullptr ? meaning->message : "unexpected result";
    return text + " (result " + std::to_string(result) + ")";
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
    return ReportFailure(command, MessageFor(KIVO_ERR_FILE) + ": " + detail, ExitStatusFor(KIVO_ERR_FILE));
}

std::string ExitStatusHelp()
{
    std::vector<std::pair<int, std::string>> lines = {
        {kExitUnexpectedResult, "any other result"},
        {kExitUsage, "wrong usage: unknown option, missing or invalid argument"},
        {kExitBadInput, "a conversion's input holds a zero byte"},
    };
    for (const ResultMeaning &meaning : ResultTable()) {
        if (meaning.result == KIVO_OK)
            lines.emplace_back(meaning.exitStatus, "success");
        else
            lines.emplace_back(meaning.exitStatus,
                               "result " + std::to_string(meaning.result) + ": " + meaning.message);
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
