// A temporary directory for a test's files, removed with everything in it.
#ifndef TESSALINK_TESTS_TEMP_DIR_H
#define TESSALINK_TESTS_TEMP_DIR_H

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/tessalink-test-XXXXXX";
        const char *made = mkdtemp(pattern);
        m_path = made != nullptr ? made : "/tmp";
    }
    ~TempDir()
    {
        std::string command = "rm -rf '" + m_path + "'";
        if (m_path != "/tmp" && std::system(command.c_str()) != 0) {
        }
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string Path(const std::string &name) const { return m_path + "/" + name; }

    std::string Write(const std::string &name, const std::vector<uint8_t> &bytes) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return Path(name);
    }
    static bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }
    static std::vector<uint8_t> Read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};

#endif
