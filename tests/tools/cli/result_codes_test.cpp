// The meaning and exit status of every result the library can return.
#include <gtest/gtest.h>

#include <set>

#include "result_codes.h"
#include "tessalink.h"

namespace {

const int32_t kEveryLibraryFailure[] = {
    KIVO_ERR_NO_CONNECTION, KIVO_ERR_FILE,        KIVO_CANCELLED,       KIVO_ERR_WRONG_REPLY,
    KIVO_ERR_NO_DOK,        KIVO_ERR_PACKET,      KIVO_ERR_PACKET_CANCEL, KIVO_ERR_BLOCK_RECV,
    KIVO_ERR_BLOCK_SEND,    KIVO_ERR_NOT_CONTROL, KIVO_ERR_NOT_DATA,    KIVO_ERR_BAD_HEADER,
    KIVO_ERR_BLOCK_CANCEL};

// A script can tell every failure apart, and none from success, from a usage
// error, from bad input or from a result the tool does not know.
TEST(ResultCodes, EveryFailureHasAStatusOfItsOwn)
{
    std::set<int> taken = {cli::kExitSuccess, cli::kExitUnexpectedResult, cli::kExitUsage, cli::kExitBadInput};
    for (int32_t result : kEveryLibraryFailure) {
        const int status = cli::ExitStatusFor(result);
        EXPECT_TRUE(taken.insert(status).second) << "result " << result << " shares status " << status;
        EXPECT_GT(status, 0);
        EXPECT_LT(status, 256);
    }
    EXPECT_EQ(cli::ExitStatusFor(KIVO_OK), cli::kExitSuccess);
}

TEST(ResultCodes, EveryFailureHasAOneLineMessageNamingTheResult)
{
    for (int32_t result : kEveryLibraryFailure) {
        const std::string message = cli::MessageFor(result);
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        EXPECT_NE(message.find("(result " + std::to_string(result) + ")"), std::string::npos) << message;
        EXPECT_EQ(message.find("unexpected"), std::string::npos) << message;
    }
}

// The statuses that the README and scripts name.
TEST(ResultCodes, DocumentedStatuses)
{
    EXPECT_EQ(cli::ExitStatusFor(KIVO_CANCELLED), 130);
    EXPECT_EQ(cli::ExitStatusFor(KIVO_ERR_NO_CONNECTION), 3);
    EXPECT_EQ(cli::ExitStatusFor(KIVO_ERR_FILE), 4);
    EXPECT_EQ(cli::ExitStatusFor(12345), cli::kExitUnexpectedResult);
    EXPECT_EQ(cli::MessageFor(12345), "unexpected result (result 12345)");
    EXPECT_EQ(cli::WhatHappened(KIVO_ERR_NO_DOK), "the handheld did not answer the command with \"DOK\" (result -101)");
}

// The words follow the circumstances: the subcommand and its name, a long
// silence, the tool's own time-out; each row with the next step filled in.
TEST(ResultCodes, CircumstancesChooseTheWords)
{
    cli::FailureContext get;
    get.command = "get";
    get.name = "NOPE.TXT";
    get.mode = 2;
    EXPECT_EQ(cli::MessageFor(KIVO_ERR_WRONG_REPLY, get),
              "the handheld did not send NOPE.TXT (result -100): is the name right? see `tessalink list`");
    EXPECT_EQ(cli::ExitStatusFor(KIVO_ERR_WRONG_REPLY, get), 10);

    cli::FailureContext silent;
    silent.mode = 0;
    silent.device = "/dev/pts/4";
    silent.silent = true;
    for (int32_t result : {KIVO_ERR_PACKET, KIVO_ERR_BLOCK_RECV, KIVO_ERR_BLOCK_SEND})
        EXPECT_EQ(cli::MessageFor(result, silent), "no answer in mode 0 on /dev/pts/4 (result " +
                                                      std::to_string(result) +
                                                      "): check the mode with `tessalink detect`");

    cli::FailureContext late = silent;
    late.timeout = 1.5;
    EXPECT_NE(cli::MessageFor(KIVO_CANCELLED, late).find("no answer came in time: nothing from the handheld for "
                                                         "1.5 s on /dev/pts/4 in mode 0"),
              std::string::npos);
    EXPECT_EQ(cli::ExitStatusFor(KIVO_CANCELLED, late), 124);
    EXPECT_EQ(cli::ExitStatusFor(KIVO_CANCELLED, silent), 130);
}

TEST(ResultCodes, HelpListsEveryStatus)
{
    const std::string help = cli::ExitStatusHelp();
    for (int32_t result : kEveryLibraryFailure) {
        const std::string row = std::to_string(cli::ExitStatusFor(result)) + "  result " + std::to_string(result) + ":";
        EXPECT_NE(help.find(row), std::string::npos) << row;
    }
    for (int status : {cli::kExitUnexpectedResult, cli::kExitUsage, cli::kExitBadInput})
        EXPECT_NE(help.find("\n    " + std::to_string(status) + "  "), std::string::npos) << status;
}

}  // namespace
