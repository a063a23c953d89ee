// A request's body written to a file as it arrives, never more than a bound.
#ifndef TESSALINK_UI_BODY_FILE_H
#define TESSALINK_UI_BODY_FILE_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace ui {

class BodyFile {
public:
    BodyFile(const std::string &path, uint64_t bound);
    ~BodyFile();
    BodyFile(const BodyFile &) = delete;
    BodyFile &operator=(const BodyFile &) = delete;

    // Appends; false once the file cannot be written or the bound is passed.
    bool Append(const char *data, size_t length);
    // Closes the file; false when it did not end whole.
    bool Close();

    bool TooLarge() const { return m_tooLarge; }
    uint64_t Size() const { return m_size; }
    const std::string &Path() const { return m_path; }

private:
    std::string m_path;
    uint64_t m_bound;
    std::FILE *m_file;
    uint64_t m_size = 0;
    bool m_tooLarge = false;
    bool m_failed = false;
};

}  // namespace ui

#endif
