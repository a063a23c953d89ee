// Whole files of the host, for the emulator: read at once, or written to a
// temporary file beside the target and renamed over it, so that a reader
// never sees half of one.
#ifndef TESSALINK_TOOLS_EMULATOR_HOST_FILES_H
#define TESSALINK_TOOLS_EMULATOR_HOST_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace emulator {

// Writes every byte to the descriptor; false on an error.
bool WriteAll(int fd, const std::vector<uint8_t> &bytes);
// Reads the descriptor to its end; false on an error (out then holds what
// was read).
bool ReadAll(int fd, std::vector<uint8_t> &out);

// False with the system's reason in error.
bool ReadHostFile(const std::string &path, std::vector<uint8_t> &out, std::string &error);
bool ReplaceHostFile(const std::string &path, const std::vector<uint8_t> &bytes,
                     std::string &error);

}  // namespace emulator

#endif
