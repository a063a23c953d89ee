// The POSIX program end to end: copied into a scratch directory with a
// stand-in installer script that records its arguments.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>

#include "case_name.h"
#include "scratch_directory.h"

namespace {

using namespace std::chrono_literals;

// Records how many arguments it got and each on a line of its own, beside
// itself; then runs on, as an installer does, until the test lets it go (at
// most ten seconds), and leaves a mark when it ends.
const char kRecordingInstaller[] =
    "#!/bin/sh\n"
    "here=\"${0%/*}\"\n"
    "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$here/arguments.part\"\n"
    "mv \"$here/arguments.part\" \"$here/arguments.txt\"\n"
    "i=0\n"
    "while [ ! -e \"$here/release\" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done\n"
    ": > \"$here/ended\"\n";

enum class Installer { Script, NotExecutable, Directory, Missing };

struct PosixCase {
    const char *name;
    const char *launcherName;
    bool withSettings;
    // Subdirectory named by INST32; empty for no key.
    std::string installerSubdirectory;
    Installer installer;
    bool withLibrary;
    // Expected on standard error; empty when the installer must start.
    std::string expectedMessage;
};

const PosixCase kCases[] = {
    {"StartsTheInstallerBesideItself", "tevlaunch", true, "", Installer::Script, true, ""},
    {"StartsTheInstallerInTheNamedDirectory", "tevlaunch", true, "inst dir", Installer::Script, true, ""},
    {"CopyUnderAnotherNamePassesItsOwnSettings", "setup", true, "", Installer::Script, true, ""},
    {"SettingsMissing", "tevlaunch", false, "", Installer::Script, true,
     "エラー: tevlaunch.INI が見つかりません!!\n"},
    {"DirectoryNamedLikeTheInstallerDoesNotCount", "tevlaunch", true, "", Installer::Directory, true,
     "エラー: TEV_INST32.EXE が見つかりません!!\n"},
    {"InstallerAndLibraryMissing", "tevlaunch", true, "", Installer::Missing, false,
     "エラー: TEV_INST32.EXE が見つかりません!!\n"},
    {"LibraryMissing", "tevlaunch", true, "", Installer::Script, false,
     "エラー: Tessalink.DLL が見つかりません!!\n"},
    {"InstallerThatCannotBeExecuted", "tevlaunch", true, "", Installer::NotExecutable, true,
     "エラー: TEV_INST32.EXE が起動できません!!\n"},
};

class TevlaunchPosixTest : public ::testing::TestWithParam<PosixCase> {};

TEST_P(TevlaunchPosixTest, RunsAsTheFilesCallFor)
{
    const PosixCase &c = GetParam();
    ScratchDirectory dir;
    std::string launcher = dir / c.launcherName;
    std::string settings = launcher + ".INI";
    std::string installerDir = dir.Path();
    CopyExecutable(TEVLAUNCH_PROGRAM, launcher);
    if (c.withSettings) {
        std::string text = "[Option]\n";
        if (!c.installerSubdirectory.empty()) {
            installerDir = dir / c.installerSubdirectory;
            ASSERT_EQ(::mkdir(installerDir.c_str(), 0755), 0);
            text += "INST32=" + installerDir + "\n";
        }
        WriteTextFile(settings, text);
    }
    std::string installer = installerDir + "/TEV_INST32.EXE";
    if (c.installer == Installer::Directory) {
        ASSERT_EQ(::mkdir(installer.c_str(), 0755), 0);
    } else if (c.installer != Installer::Missing) {
        WriteTextFile(installer, kRecordingInstaller);
        ::chmod(installer.c_str(), c.installer == Installer::Script ? 0755 : 0644);
    }
    if (c.withLibrary) {
        WriteTextFile(installerDir + "/Tessalink.DLL", "");
    }

    std::string errors = dir / "stderr.txt";
    int exitCode = RunShell("cd / && " + ShellQuoted(launcher) + " ignored-argument 2>" +
                            ShellQuoted(errors) + " </dev/null >/dev/null");

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(AwaitFile(errors, 0ms).value_or("<none>"), c.expectedMessage);
    std::string record = installerDir + "/arguments.txt";
    if (c.expectedMessage.empty()) {
        EXPECT_EQ(AwaitFile(record, 10s).value_or("<not started>"), "1\n" + settings + "\n");
        // The launcher waits until the installer runs, not until it ends.
        EXPECT_FALSE(AwaitFile(installerDir + "/ended", 0ms).has_value());
        WriteTextFile(installerDir + "/release", "");
    } else {
        // Half a second is ample for a script it had started to write its record.
        EXPECT_FALSE(AwaitFile(record, 500ms).has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Tevlaunch, TevlaunchPosixTest, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
