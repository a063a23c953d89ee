// Whole files in and out, with "-" standing for standard input or output.
#ifndef TESSALINK_CLI_LOCAL_IO_H
#define TESSALINK_CLI_LOCAL_IO_H

#include <string>

namespace cli {

constexpr const char kStandardStream[] = "-";

// Reads the whole file (or standard input). Returns what went wrong, or "".
std::string ReadWhole(const std::string &path, std::string &contents);

// Writes the bytes to the file, created or emptied (or to standard output).
// Returns what went wrong, or "".
std::string WriteWhole(const std::string &path, const char *data, size_t size);

// Copies a file's bytes to standard output. Returns what went wrong, or "".
std::string CopyToStandardOutput(const std::string &path);

}  // namespace cli

#endif
