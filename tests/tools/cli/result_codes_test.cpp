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
    EXPECT_EQ(cli::MessageFor(KIVO_ERR_NO_DOK), "the handheld did not answer the command with \"DOK\" (result -101)");
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
