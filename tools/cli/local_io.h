// Whole files in and out, with "-" standing for standard input or output.
#ifndef TESSALINK_CLI_LOCAL_IO_H
#define TESSALINK_CLI_LOCAL_IO_H

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

constexpr const char kStandardStream[] = "-";

// Reads the whole file (or standard input). Returns what went wrong, or "".
std::string ReadWhole(const std::string &path, std::string &contents);

// Writes the bytes to the file, created or emptied (or to standard output).
// Returns what went wrong, or "".
std::string WriteWhole(const std::string &path, const char *data, size_t size);

// Copies a file's bytes to standard output. Returns what went wrong, or "".
std::string CopyToStandardOutput(const std::string &path);

// Checks that every file is a regular file that can be read, and gives their
// sizes. Returns what is wrong with the first file that is not, or "".
std::string CheckReadableFiles(const std::vector<std::string> &files, std::vector<uint64_t> &sizes);

// The size of a file, 0 when it cannot be told.
uint64_t FileSize(const std::string &path);

// The application text as received ends with its end mark 0x1A, which a file
// keeps: the size of the text before it (the whole size when the last byte
// is no end mark).
uint64_t TextSizeWithoutEndMark(const std::string &path);

// The regular files of a directory (links followed), by name in byte order,
// leaving out the tool's own unfinished files. Returns what went wrong, or "".
std::string RegularFilesIn(const std::string &directory, std::vector<std::string> &names);

}  // namespace cli

#endif
