#include "private_directory.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ui {

PrivateDirectory::PrivateDirectory(const std::string &parent, const std::string &prefix)
{
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) != nullptr)
        m_path = name.data();
}

PrivateDirectory::~PrivateDirectory()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TemporaryDirectoryRoot()
{
    const char *root = std::getenv("TMPDIR");
    return root != nullptr && *root == '/' ? root : "/tmp";
}

}  // namespace ui
