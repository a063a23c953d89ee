// The put exports chosen by the two choices a put makes: the transfer (1:
// packets, any mode; 2: put-file-2, mode 2) and whether the release follows.
#ifndef TESSALINK_CLI_PUT_CALLS_H
#define TESSALINK_CLI_PUT_CALLS_H

#include <cstdint>
#include <string>

#include "tessalink.h"

namespace cli {

int32_t PutFileCall(const std::string &path, const std::string &name, int variant, bool release, KIVO_HWND window);

// paths and names: the CR-separated lists of the multi-file exports.
int32_t PutFilesCall(const std::string &paths, const std::string &names, int variant, bool release,
                     KIVO_HWND window);

}  // namespace cli

#endif
