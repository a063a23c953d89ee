// Tevlaunch.exe under Wine: copied into a scratch directory with a dummy
// library, an empty settings section and the stand-in installer (which
// records its command line), it must start the installer with the settings
// path in double quotes. Each architecture's test is skipped, with the
// reason, where its build or a Wine able to run it is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "case_name.h"
#include "scratch_directory.h"

namespace {

using namespace std::chrono_literals;

struct WindowsBuild {
    const char *name;  // the architecture
    const char *buildDirectory;
    // Wine loaders able to run programs of this architecture, in order of preference.
    std::vector<std::string> loaders;
    const char *missingWine;
};

const WindowsBuild kBuilds[] = {
    {"i686", TEVLAUNCH_I686_BUILD, {"/usr/lib/wine/wine"},
     "no 32-bit Wine (Debian's wine32, which needs the i386 architecture)"},
    {"x86_64", TEVLAUNCH_X86_64_BUILD, {"/usr/lib/wine/wine64", "/usr/bin/wine64"},
     "no 64-bit Wine (Debian package wine64)"},
};

std::string FirstExecutable(const std::vector<std::string> &candidates)
{
    for (const std::string &candidate : candidates) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::string();
}

// The Windows path under which Wine shows a POSIX path (drive Z: is the root).
std::string WinePath(const std::string &posixPath)
{
    std::string path = "Z:" + posixPath;
    for (char &c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

class TevlaunchWineTest : public ::testing::TestWithParam<WindowsBuild> {};

TEST_P(TevlaunchWineTest, StartsTheInstallerWithTheQuotedSettingsPath)
{
    const WindowsBuild &build = GetParam();
    std::string launcherDir = std::string(build.buildDirectory) + "/launcher";
    std::string program = launcherDir + "/Tevlaunch.exe";
    std::string standIn = launcherDir + "/stand_in_installer.exe";
    std::string wine = FirstExecutable(build.loaders);
    std::string missing;
    if (::access(program.c_str(), R_OK) != 0 || ::access(standIn.c_str(), R_OK) != 0) {
        missing = std::string("the ") + build.name + " Windows build is missing (" + program +
                  "): build the mingw-" + build.name + " preset first";
    } else if (wine.empty()) {
        missing = std::string("cannot run the ") + build.name + " Tevlaunch.exe: " +
                  build.missingWine;
    }
    // A kernel without 32-bit support cannot run the 32-bit loader at all
    // (Exec format error, status 126 from bash): no package can bring that.
    if (missing.empty() &&
        RunShell("bash -c " + ShellQuoted("\"$0\" --version >/dev/null 2>&1") + " " + ShellQuoted(wine)) == 126)
        GTEST_SKIP() << "this machine's kernel does not run " << build.name << " programs (" << wine
                     << ": Exec format error)";
    if (!missing.empty()) {
        // The test command installs Wine and builds both: there, nothing may be missing.
        if (std::getenv("TESSALINK_REQUIRE_WINE") != nullptr)
            FAIL() << missing;
        GTEST_SKIP() << missing;
    }
    ASSERT_EQ(RunShell(ShellQuoted(MAKE_WINE_PREFIX) + " " + ShellQuoted(TEVLAUNCH_WINE_PREFIX)), 0);

    ScratchDirectory dir;
    CopyExecutable(program, dir / "Tevlaunch.exe");
    CopyExecutable(standIn, dir / "TEV_INST32.EXE");
    WriteTextFile(dir / "Tessalink.DLL", "not loaded by the launcher");
    WriteTextFile(dir / "Tevlaunch.INI", "[Option]\r\n");

    // The prefix is kept between runs, since creating one takes a while; the
    // time-out bounds a Wine that hangs.
    std::string log = dir / "wine.log";
    std::string command = "cd " + ShellQuoted(dir.Path()) + " && WINEPREFIX=" +
                          ShellQuoted(TEVLAUNCH_WINE_PREFIX) +
                          " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' timeout -k 10 300 " +
                          ShellQuoted(wine) + " Tevlaunch.exe </dev/null >" + ShellQuoted(log) +
                          " 2>&1";
    int exitCode = RunShell(command);

    EXPECT_EQ(exitCode, 0) << AwaitFile(log, 0ms).value_or("");
    std::string expectedEnd = " \"" + WinePath(dir / "Tevlaunch.INI") + "\"";
    std::string record = AwaitFile(dir / "command-line.txt", 60s).value_or("<not started>");
    ASSERT_GE(record.size(), expectedEnd.size()) << record;
    EXPECT_EQ(record.substr(record.size() - expectedEnd.size()), expectedEnd) << record;
}

INSTANTIATE_TEST_SUITE_P(Tevlaunch, TevlaunchWineTest, ::testing::ValuesIn(kBuilds), CaseName());

}  // namespace
