// A directory of the page's server's own, which only its owner can enter,
// removed with everything in it when the object goes: uploads, zips and
// fetched files never outlive the request they belong to.
#ifndef TESSALINK_UI_PRIVATE_DIRECTORY_H
#define TESSALINK_UI_PRIVATE_DIRECTORY_H

#include <string>

namespace ui {

class PrivateDirectory {
public:
    // Makes a fresh directory (mode 0700) in parent, named prefix + six
    // random characters; Path() is "" when that failed.
    PrivateDirectory(const std::string &parent, const std::string &prefix);
    ~PrivateDirectory();
    PrivateDirectory(const PrivateDirectory &) = delete;
    PrivateDirectory &operator=(const PrivateDirectory &) = delete;

    const std::string &Path() const { return m_path; }
    // The path of the file name in the directory.
    std::string FilePath(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Where temporary directories go: $TMPDIR, else /tmp.
std::string TemporaryDirectoryRoot();

}  // namespace ui

#endif
