// Helpers shared by the fuzz harnesses.
#ifndef TESSALINK_FUZZ_FUZZ_SUPPORT_H
#define TESSALINK_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace fuzz {

// A heap block of exactly size bytes, so that AddressSanitizer reports the
// first byte written or read past it.
class ExactBuffer {
public:
    explicit ExactBuffer(size_t size) : m_size(size), m_data(new uint8_t[size == 0 ? 1 : size]) {}
    uint8_t *data() { return m_data.get(); }
    char *text() { return reinterpret_cast<char *>(m_data.get()); }
    size_t size() const { return m_size; }

private:
    size_t m_size;
    std::unique_ptr<uint8_t[]> m_data;
};

// The bytes up to the first zero byte, as a zero-terminated text in a block
// of exactly its length plus one.
inline ExactBuffer TextOf(const std::string &bytes)
{
    size_t length = std::strlen(bytes.c_str());
    ExactBuffer text(length + 1);
    std::memcpy(text.data(), bytes.data(), length);
    text.data()[length] = 0;
    return text;
}

// Stops the run as a crash, with the reason, when an invariant fails.
inline void Check(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A file name of this process's own for the FILE exports, and its bytes. In
// memory where the system offers it: creating and emptying a file on a disk
// costs twenty times the rest of a run.
inline const std::string &ScratchFile()
{
    static const std::string path = [] {
        const char *dir = std::getenv("TMPDIR");
        std::string base = dir != nullptr && *dir != '\0' ? dir
                           : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                             : "/tmp";
        return base + "/tessalink-fuzz-" + std::to_string(static_cast<long>(::getpid())) + ".bin";
    }();
    static const bool removedAtExit = std::atexit([] { ::unlink(ScratchFile().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

inline std::vector<uint8_t> ReadWhole(const std::string &path)
{
    std::vector<uint8_t> bytes;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

// A wrap width from one byte: small widths both sides of zero, where the
// layout's rules change, and the two extremes.
inline int32_t WidthOf(uint8_t b)
{
    if (b == 0x7F)
        return INT32_MAX;
    if (b == 0x80)
        return INT32_MIN;
    return static_cast<int8_t>(b);
}

}  // namespace fuzz

#endif
