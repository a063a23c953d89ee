// The command line: what is refused as wrong usage, and the settings a link
// subcommand takes from it.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>

#include "command_line.h"
#include "launcher/case_name.h"
#include "link_settings.h"
#include "result_codes.h"
#include "setting_layers.h"

namespace {

cli::ParseOutcome Parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "tessalink");
    std::vector<const char *> argv;
    for (const std::string &word : words)
        argv.push_back(word.c_str());
    return cli::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// Parsed, then taken together with an empty configuration and the
// environment (which names no device for the tests: a device is given).
cli::ParseOutcome ParseResolved(std::vector<std::string> words)
{
    words.insert(words.end(), {"--device", "/dev/pts/77"});
    cli::ParseOutcome outcome = Parse(words);
    if (outcome.run) {
        const cli::SettingsOutcome settings = cli::ResolveLinkSettings(outcome.request, cli::UserConfig());
        EXPECT_EQ(settings.problem, "");
    }
    return outcome;
}

struct UsageCase {
    std::string name;
    std::vector<std::string> words;
};

void PrintTo(const UsageCase &c, std::ostream *out) { *out << c.name; }

class WrongUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(WrongUsage, IsRefusedWithTheUsageStatus)
{
    const cli::ParseOutcome outcome = Parse(GetParam().words);
    EXPECT_FALSE(outcome.run);
    EXPECT_EQ(outcome.exitStatus, cli::kExitUsage);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongUsage,
    ::testing::Values(UsageCase{"NoSubcommand", {}},
                      UsageCase{"UnknownSubcommand", {"fetch", "x"}},
                      UsageCase{"ModeAboveTwo", {"list", "--mode", "3"}},
                      UsageCase{"ModeNotANumber", {"list", "--mode", "two"}},
                      UsageCase{"PortZero", {"list", "--port", "0"}},
                      UsageCase{"PortAbove16Bits", {"list", "--port", "65536"}},
                      UsageCase{"BlockSizeTooSmall", {"list", "--block-size", "3"}},
                      UsageCase{"BlockSizeTooLarge", {"list", "--block-size", "8193"}},
                      UsageCase{"BaudZero", {"list", "--baud", "0"}},
                      UsageCase{"TraceWithoutAFileName", {"list", "--trace", ""}},
                      UsageCase{"GetWithoutName", {"get"}},
                      UsageCase{"GetOfANameWithoutLastPart", {"get", "dir/"}},
                      UsageCase{"DeleteWithoutName", {"delete"}},
                      UsageCase{"PutWithoutFiles", {"put"}},
                      UsageCase{"PutNamesDoNotMatchFiles", {"put", "a", "b", "--as", "x"}},
                      UsageCase{"PutVariantTwoOutsideModeTwo", {"put", "--mode", "1", "--variant", "2", "a"}},
                      UsageCase{"PutVariantThree", {"put", "--variant", "3", "a"}},
                      UsageCase{"TextSendWithoutFile", {"text-send"}},
                      UsageCase{"LinkOptionOnAConversion", {"hex2bin", "--mode", "1"}},
                      UsageCase{"WidthNotANumber", {"layout-mem", "--width", "wide"}},
                      UsageCase{"BackupWithoutDirectory", {"backup"}},
                      UsageCase{"RestoreWithoutDirectory", {"restore"}},
                      UsageCase{"RestoreOfAPathInsteadOfAName", {"restore", "dir", "sub/file"}},
                      UsageCase{"RestoreOfDotDot", {"restore", "dir", ".."}},
                      UsageCase{"RestoreVariantTwoOutsideModeTwo", {"restore", "dir", "--mode", "0", "--variant", "2"}},
                      UsageCase{"OnlyOnRestore", {"restore", "dir", "--only", "*"}},
                      UsageCase{"EmptyDevice", {"list", "--device", ""}},
                      UsageCase{"TimeoutZero", {"list", "--timeout", "0"}},
                      UsageCase{"TimeoutNotANumber", {"list", "--timeout", "soon"}},
                      UsageCase{"ConfigWithoutAction", {"config"}},
                      UsageCase{"ConfigSetOfAnUnknownKey", {"config", "set", "mdoe", "1"}},
                      UsageCase{"ConfigSetOfABadValue", {"config", "set", "send-block", "2"}},
                      UsageCase{"ConfigGetOfAnUnknownKey", {"config", "get", "colour"}},
                      UsageCase{"ShortNameOfASubcommand", {"ls"}}),
    CaseName());

TEST(CommandLine, HelpIsNoError)
{
    for (const std::vector<std::string> &words :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"put", "--help"}}) {
        const cli::ParseOutcome outcome = Parse(words);
        EXPECT_FALSE(outcome.run);
        EXPECT_EQ(outcome.exitStatus, cli::kExitSuccess);
    }
}

struct PortCase {
    std::string name;
    std::vector<std::string> words;
    int mode;
    int port;
};

void PrintTo(const PortCase &c, std::ostream *out) { *out << c.name; }

class LinkPort : public ::testing::TestWithParam<PortCase> {};

TEST_P(LinkPort, IsTheGivenOneOrTheModesOwn)
{
    const PortCase &c = GetParam();
    const cli::ParseOutcome outcome = ParseResolved(c.words);
    ASSERT_TRUE(outcome.run);
    EXPECT_EQ(outcome.request.link.mode, c.mode);
    EXPECT_EQ(outcome.request.link.EffectivePort(), c.port);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkPort,
                         ::testing::Values(PortCase{"DefaultModeTwo", {"list"}, 2, 2},
                                           PortCase{"ModeZero", {"release", "--mode", "0"}, 0, 1},
                                           PortCase{"ModeOne", {"delete", "x", "--mode", "1"}, 1, 2},
                                           PortCase{"GivenPort", {"get", "x", "--mode", "0", "--port", "7"}, 0, 7}),
                         CaseName());

// --device points the chosen port's variable at the device, for this process.
TEST_P(LinkPort, DeviceSetsTheVariableOfThatPort)
{
    const PortCase &c = GetParam();
    const cli::ParseOutcome outcome = ParseResolved(c.words);
    ASSERT_TRUE(outcome.run);
    for (int port = 1; port <= 8; ++port)
        ::unsetenv(cli::PortDeviceVariable(port).c_str());
    ASSERT_EQ(cli::ApplyLinkSettings(outcome.request.link), "");
    for (int port = 1; port <= 8; ++port) {
        const char *value = std::getenv(("TESSALINK_COM" + std::to_string(port)).c_str());
        if (port == c.port) {
            ASSERT_NE(value, nullptr);
            EXPECT_STREQ(value, "/dev/pts/77");
        } else {
            EXPECT_EQ(value, nullptr) << port;
        }
    }
}

TEST(CommandLine, PutTakesFilesNamesAndVariant)
{
    const cli::ParseOutcome outcome =
        Parse({"put", "dir/a.txt", "b.bin", "--as", "A", "B", "--no-release", "--variant", "2"});
    ASSERT_TRUE(outcome.run);
    EXPECT_EQ(outcome.request.command, "put");
    EXPECT_EQ(outcome.request.localFiles, (std::vector<std::string>{"dir/a.txt", "b.bin"}));
    EXPECT_EQ(outcome.request.handheldNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(outcome.request.noRelease);
    EXPECT_EQ(outcome.request.variant, 2);
}

TEST(CommandLine, BackupAndRestoreTakeADirectory)
{
    const cli::ParseOutcome backup =
        ParseResolved({"backup", "saved", "--only", "*.TXT", "--only", "M*", "--mode", "1"});
    ASSERT_TRUE(backup.run);
    EXPECT_EQ(backup.request.command, "backup");
    EXPECT_EQ(backup.request.directory, "saved");
    EXPECT_EQ(backup.request.onlyPatterns, (std::vector<std::string>{"*.TXT", "M*"}));
    EXPECT_EQ(backup.request.link.mode, 1);

    const cli::ParseOutcome restore = Parse({"restore", "saved", "A.TXT", "DIR\\B.TXT", "--variant", "2"});
    ASSERT_TRUE(restore.run);
    EXPECT_EQ(restore.request.directory, "saved");
    EXPECT_EQ(restore.request.selectedFiles, (std::vector<std::string>{"A.TXT", "DIR\\B.TXT"}));
    EXPECT_EQ(restore.request.variant, 2);
}

TEST(CommandLine, ReceivedDataGoesToTheNamesLastPartOrStandardOutput)
{
    EXPECT_EQ(Parse({"get", "docs/memo.txt"}).request.localPath, "memo.txt");
    EXPECT_EQ(Parse({"get", "memo.txt", "here.txt"}).request.localPath, "here.txt");
    EXPECT_EQ(Parse({"list"}).request.localPath, "-");
    EXPECT_EQ(Parse({"text-recv"}).request.localPath, "-");
}

// The value column fills the line beside the 12-byte label column unless given.
TEST(CommandLine, LabelledLayoutValueWidth)
{
    EXPECT_EQ(Parse({"layout-rep", "--width", "20"}).request.valueWidth, 8);
    EXPECT_EQ(Parse({"layout-rep", "--width", "12"}).request.valueWidth, 0);
    EXPECT_EQ(Parse({"layout-rep"}).request.valueWidth, 0);
    EXPECT_EQ(Parse({"layout-rep", "--width", "20", "--value-width", "5"}).request.valueWidth, 5);
    EXPECT_EQ(Parse({"layout-rep", "--width", "20", "--value-width", "-1"}).request.valueWidth, -1);
}

}  // namespace
