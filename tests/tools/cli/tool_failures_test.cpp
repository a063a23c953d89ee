// How the program fails: the message on standard error and the exit status.
#include <gtest/gtest.h>

#include <ostream>

#include "launcher/case_name.h"
#include "run_tool.h"
#include "support/temp_dir.h"

namespace {

const std::string kNoDevice = "/nonexistent/tessalink-test-tty";

struct FailureCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string input;
    int exitStatus;
    std::string messageHolds;
};

void PrintTo(const FailureCase &c, std::ostream *out) { *out << c.name; }

class ToolFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ToolFailure, SaysWhatFailedAndExitsWithItsStatus)
{
    const FailureCase &c = GetParam();
    const ToolRun run = RunTool(c.arguments, c.input);
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    EXPECT_NE(run.err.find(c.messageHolds), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

const std::string kNoConnection = "tessalink list: no connection";

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolFailure,
    ::testing::Values(
        FailureCase{"ListOnAPortThatCannotBeOpened", {"list", "--device", kNoDevice}, "", 3,
                    "tessalink list: no connection: " + kNoDevice + ": No such file or directory (result -999)"
                        ": name the handheld's port with --device PATH or `tessalink config set device PATH`\n"},
        FailureCase{"ListOnADirectory", {"list", "--device", "/tmp"}, "", 3,
                    "tessalink list: no connection: /tmp: not a serial device (result -999): name the handheld's port with --device PATH or `tessalink config set device PATH`\n"},
        FailureCase{"BlockSizeOutsideTheUsableRange", {"list", "--block-size", "8193"}, "", 2,
                    "--block-size: unusable block size 8193: the packets take 4 to 8192 bytes"},
        FailureCase{"ReleaseInModeOne", {"release", "--mode", "1", "--device", kNoDevice}, "", 3, "(result -999)"},
        FailureCase{"DeleteInModeZero", {"delete", "x", "--mode", "0", "--device", kNoDevice}, "", 3, "(result -999)"},
        FailureCase{"PutOfAMissingFile", {"put", "/nonexistent/file.txt", "--device", kNoDevice}, "", 4,
                    "tessalink put: a local file could not be opened, read or written (result -500)"},
        FailureCase{"TextSendOfAMissingFile", {"text-send", "/nonexistent/file.txt", "--device", kNoDevice}, "",
                    4, "(result -500)"},
        FailureCase{"BadMode", {"list", "--mode", "7"}, "", 2, "--mode"},
        FailureCase{"MissingArgument", {"get"}, "", 2, "name is required"},
        FailureCase{"ConversionInputWithAZeroByte", {"hex2bin"}, std::string("41\0" "42", 5), 5,
                    "zero byte at offset 2"},
        FailureCase{"ConversionInputFileMissing", {"decode43", "/nonexistent/in.txt"}, "", 4,
                    "'/nonexistent/in.txt': No such file or directory"},
        FailureCase{"DecodeIntoAMissingDirectory", {"hex2bin", "-o", "/nonexistent/dir/out.bin"}, "4142", 4,
                    "tessalink hex2bin: a local file could not be opened, read or written (result -500)"}),
    CaseName());

// The library says in its own line that the port could not be opened; the
// tool adds one line that names the device and the system's reason, and no
// other.
TEST(ToolFailures, AnUnopenablePortGivesTheLibrarysLineAndOneOfTheTools)
{
    const ToolRun run = RunTool({"delete", "X", "--device", "/tmp"});
    EXPECT_EQ(run.exitStatus, 3);
    const size_t firstEnd = run.err.find('\n');
    ASSERT_NE(firstEnd, std::string::npos) << run.err;
    EXPECT_EQ(run.err.substr(0, 3), "COM") << run.err;  // the library's line about the COM port
    EXPECT_EQ(run.err.substr(firstEnd + 1),
              "tessalink delete: no connection: /tmp: not a serial device (result -999): name the handheld's port with --device PATH or `tessalink config set device PATH`\n");
}

TEST(ToolIdentity, VersionIsTheLibrarysVersion)
{
    const ToolRun run = RunTool({"--version"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "tessalink " TESSALINK_EXPECTED_VERSION "\n");
}

// A file missing from a list is found before the connection: the list would
// otherwise send the files before it, and no release.
TEST(ToolFailures, PutOfSeveralChecksEveryFileBeforeConnecting)
{
    TempDir dir;
    const std::string present = dir.Write("present.txt", {'x'});
    const ToolRun run = RunTool({"put", present, dir.Path("absent.txt"), "--device", kNoDevice});
    EXPECT_EQ(run.exitStatus, 4) << run.err;
    EXPECT_NE(run.err.find("absent.txt': No such file or directory"), std::string::npos) << run.err;
}

// The library empties its output file before it connects; the tool keeps the
// destination as it was when nothing arrived.
TEST(ToolFailures, FailedReceiveLeavesTheDestinationAsItWas)
{
    for (const std::vector<std::string> &command :
         {std::vector<std::string>{"get", "memo.txt"}, std::vector<std::string>{"list", "-o"},
          std::vector<std::string>{"text-recv"}}) {
        TempDir dir;
        const std::string destination = dir.Write("keep.txt", {'k', 'e', 'e', 'p'});
        std::vector<std::string> arguments = command;
        arguments.insert(arguments.end(), {destination, "--device", kNoDevice});
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitStatus, 3) << command[0] << ": " << run.err;
        EXPECT_EQ(TempDir::Read(destination), (std::vector<uint8_t>{'k', 'e', 'e', 'p'})) << command[0];
        EXPECT_EQ(DirectoryEntries(dir.Path("")), std::vector<std::string>{"keep.txt"}) << command[0];
    }
}

}  // namespace
