// What a receiving subcommand leaves at its destination.
#include <gtest/gtest.h>

#include <fstream>

#include "run_tool.h"
#include "staged_output.h"
#include "support/temp_dir.h"

namespace {

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(StagedOutput, ACommitReplacesTheDestination)
{
    TempDir dir;
    const std::string destination = dir.Write("file", {'o', 'l', 'd'});
    {
        cli::StagedOutput output(destination);
        ASSERT_EQ(output.Create(), "");
        EXPECT_NE(output.StagePath(), destination);
        WriteBytes(output.StagePath(), "new");
        EXPECT_EQ(output.Commit(), "");
    }
    EXPECT_EQ(TempDir::Read(destination), (std::vector<uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(DirectoryEntries(dir.Path("")), std::vector<std::string>{"file"});
}

TEST(StagedOutput, WithoutACommitTheDestinationStaysAsItWas)
{
    TempDir dir;
    const std::string destination = dir.Write("file", {'o', 'l', 'd'});
    {
        cli::StagedOutput output(destination);
        ASSERT_EQ(output.Create(), "");
        WriteBytes(output.StagePath(), "pa");
    }
    EXPECT_EQ(TempDir::Read(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(DirectoryEntries(dir.Path("")), std::vector<std::string>{"file"});
}

TEST(StagedOutput, ADestinationInAMissingDirectoryFailsAtOnce)
{
    TempDir dir;
    cli::StagedOutput output(dir.Path("missing/file"));
    EXPECT_NE(output.Create().find("No such file or directory"), std::string::npos);
}

}  // namespace
