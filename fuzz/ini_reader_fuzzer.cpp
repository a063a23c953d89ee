// The launcher's settings file: any file contents, section and key names and
// program path, read as Tevlaunch reads them and turned into its paths with
// the conventions of both systems.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "launcher/ini_reader.h"
#include "launcher/launch_paths.h"

namespace {

void CheckValue(const std::optional<std::string> &value)
{
    fuzz::Check(!value || value->find('\n') == std::string::npos, "a value is one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string program = input.ConsumeRandomLengthString(64);
    const std::string contents = input.ConsumeRemainingBytesAsString();

    std::istringstream asked(contents);
    CheckValue(FindIniValue(asked, section, key));
    std::istringstream launcherOwn(contents);
    const std::optional<std::string> directory = FindIniValue(launcherOwn, "Option", "INST32");
    CheckValue(directory);

    for (const LauncherConventions *conventions : {&kWindowsConventions, &kPosixConventions}) {
        const std::string settings = SettingsPathFor(program, *conventions);
        const std::string beside = DirectoryOf(settings, *conventions);
        FileNameOf(settings, *conventions);
        const std::string installer = JoinPath(directory ? *directory : beside, "TEV_INST32.EXE", *conventions);
        fuzz::Check(installer.size() >= 14 &&
                        installer.compare(installer.size() - 14, 14, "TEV_INST32.EXE") == 0,
                    "the installer's path ends in its name");
        FileNameOf(installer, *conventions);
    }
    return 0;
}
