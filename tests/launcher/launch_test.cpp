// The launch logic over the fake seam: which files are looked for, what is
// started with which parameters, and which message is shown.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "fake_launcher_system.h"
#include "launcher/launch.h"

namespace {

// "ソ" in code page 932: its trail byte is a backslash.
const std::string kSo = "\x83\x5c";
const std::string kSoFuto = kSo + "\x83\x74\x83\x67";  // "ソフト"

const std::string kLauncher = "C:\\Tev\\Tevlaunch.exe";
const std::string kSettings = "C:\\Tev\\Tevlaunch.INI";
const std::string kInstaller = "C:\\Tev\\TEV_INST32.EXE";
const std::string kLibrary = "C:\\Tev\\Tessalink.DLL";
const std::string kStartBeside = "start " + kInstaller + " \"" + kSettings + "\"";

struct LaunchCase {
    const char *name;
    std::string ownPath;
    std::map<std::string, std::string> files;
    std::vector<std::string> expected;
    bool startSucceeds = true;
    const LauncherConventions *conventions = &kWindowsConventions;
};

std::map<std::string, std::string> AllBeside(const std::string &settingsText)
{
    return {{kSettings, settingsText}, {kInstaller, ""}, {kLibrary, ""}};
}

std::vector<LaunchCase> Cases()
{
    return {
        {"NoOptionSectionLooksBesideTheLauncher", kLauncher,
         AllBeside("[Other]\r\nINST32=D:\\Elsewhere\r\n"), {kStartBeside, "wait"}},
        {"NoDirectoryKeyLooksBesideTheLauncher", kLauncher,
         AllBeside("[Option]\r\nOther=D:\\Elsewhere\r\n"), {kStartBeside, "wait"}},
        {"EmptyDirectoryValueLooksBesideTheLauncher", kLauncher, AllBeside("[Option]\r\nINST32=\r\n"),
         {kStartBeside, "wait"}},
        {"DirectoryWithoutTrailingBackslash", kLauncher,
         {{kSettings, "[Option]\r\nINST32=D:\\Inst\r\n"},
          {"D:\\Inst\\TEV_INST32.EXE", ""},
          {"D:\\Inst\\Tessalink.DLL", ""}},
         {"start D:\\Inst\\TEV_INST32.EXE \"" + kSettings + "\"", "wait"}},
        {"DirectoryWithTrailingBackslash", kLauncher,
         {{kSettings, "[Option]\r\nINST32=D:\\Inst\\\r\n"},
          {"D:\\Inst\\TEV_INST32.EXE", ""},
          {"D:\\Inst\\Tessalink.DLL", ""}},
         {"start D:\\Inst\\TEV_INST32.EXE \"" + kSettings + "\"", "wait"}},
        {"DirectoryEndingInDoubleByteCharacterWithBackslashTrailByte", kLauncher,
         {{kSettings, "[Option]\r\nINST32=D:\\" + kSo + "\r\n"},
          {"D:\\" + kSo + "\\TEV_INST32.EXE", ""},
          {"D:\\" + kSo + "\\Tessalink.DLL", ""}},
         {"start D:\\" + kSo + "\\TEV_INST32.EXE \"" + kSettings + "\"", "wait"}},
        {"ArgumentQuotedAlsoWithSpaces", "C:\\Program Files\\Tev\\Tevlaunch.exe",
         {{"C:\\Program Files\\Tev\\Tevlaunch.INI", "[Option]\r\n"},
          {"C:\\Program Files\\Tev\\TEV_INST32.EXE", ""},
          {"C:\\Program Files\\Tev\\Tessalink.DLL", ""}},
         {"start C:\\Program Files\\Tev\\TEV_INST32.EXE \"C:\\Program Files\\Tev\\Tevlaunch.INI\"",
          "wait"}},
        {"CopyUnderAnotherNameUsesItsOwnSettings", "C:\\Tev\\Setup.exe",
         {{"C:\\Tev\\Setup.INI", "[Option]\r\n"}, {kInstaller, ""}, {kLibrary, ""}},
         {"start " + kInstaller + " \"C:\\Tev\\Setup.INI\"", "wait"}},
        {"CopyUnderAnotherNameWithoutItsOwnSettings", "C:\\Tev\\Setup.exe", AllBeside("[Option]\r\n"),
         {"message エラー: Setup.INI が見つかりません!!"}},
        {"SettingsMissing", kLauncher, {{kInstaller, ""}, {kLibrary, ""}},
         {"message エラー: Tevlaunch.INI が見つかりません!!"}},
        {"SettingsOfDoubleByteNameMissing", "C:\\Tev\\" + kSoFuto + ".exe", {},
         {"message エラー: ソフト.INI が見つかりません!!"}},
        {"OwnPathUnknown", "", AllBeside("[Option]\r\n"), {"message エラー: .INI が見つかりません!!"}},
        {"InstallerAndLibraryMissingReportsOnlyTheInstaller", kLauncher, {{kSettings, "[Option]\r\n"}},
         {"message エラー: TEV_INST32.EXE が見つかりません!!"}},
        {"LibraryMissing", kLauncher, {{kSettings, "[Option]\r\n"}, {kInstaller, ""}},
         {"message エラー: Tessalink.DLL が見つかりません!!"}},
        {"DirectoryWithoutTheFilesDoesNotFallBack", kLauncher,
         AllBeside("[Option]\r\nINST32=D:\\Empty\r\n"),
         {"message エラー: TEV_INST32.EXE が見つかりません!!"}},
        {"StartFailing", kLauncher, AllBeside("[Option]\r\n"),
         {kStartBeside, "message エラー: TEV_INST32.EXE が起動できません!!"}, false},
        {"PosixPathsWithDotInDirectoryAndNoExtension", "/opt/tev.d/tevlaunch",
         {{"/opt/tev.d/tevlaunch.INI", "[option]\ninst32=/srv/inst\n"},
          {"/srv/inst/TEV_INST32.EXE", ""},
          {"/srv/inst/Tessalink.DLL", ""}},
         {"start /srv/inst/TEV_INST32.EXE \"/opt/tev.d/tevlaunch.INI\"", "wait"}, true,
         &kPosixConventions},
        {"PosixMessageInUtf8", "/opt/tev/tevlaunch", {{"/opt/tev/tevlaunch.INI", "[Option]\n"}},
         {"message エラー: TEV_INST32.EXE が見つかりません!!"}, true, &kPosixConventions},
    };
}

class LaunchTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchTest, DoesWhatTheFilesCallFor)
{
    const LaunchCase &c = GetParam();
    FakeLauncherSystem system(*c.conventions);
    system.ownPath = c.ownPath;
    system.files = c.files;
    system.startSucceeds = c.startSucceeds;

    RunLauncher(system);

    EXPECT_EQ(system.events, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Launcher, LaunchTest, ::testing::ValuesIn(Cases()), CaseName());

}  // namespace
