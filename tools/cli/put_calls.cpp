#include "put_calls.h"

namespace cli {

int32_t PutFileCall(const std::string &path, const std::string &name, int variant, bool release, KIVO_HWND window)
{
    if (variant == 2)
        return release ? KIVO_LinkPutFile2(path.c_str(), name.c_str(), window)
                       : KIVO_LinkPutFile2Ex(path.c_str(), name.c_str(), window);
    return release ? KIVO_LinkPutFile(path.c_str(), name.c_str(), window)
                   : KIVO_LinkPutFileEx(path.c_str(), name.c_str(), window);
}

int32_t PutFilesCall(const std::string &paths, const std::string &names, int variant, bool release,
                     KIVO_HWND window)
{
    if (variant == 2)
        return release ? KIVO_LinkPutFiles2(paths.c_str(), names.c_str(), window)
                       : KIVO_LinkPutFiles2Ex(paths.c_str(), names.c_str(), window);
    return release ? KIVO_LinkPutFiles(paths.c_str(), names.c_str(), window)
                   : KIVO_LinkPutFilesEx(paths.c_str(), names.c_str(), window);
}

}  // namespace cli
