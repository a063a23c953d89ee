#include "file_store.h"

#include "list_text.h"

namespace handheld {

std::vector<uint8_t> MemoryFileStore::List(const std::string &argument) const
{
    std::vector<uint8_t> text;
    for (const auto &file : files)
        if (NameMatches(argument, file.first))
            AppendListEntry(text, file.first, file.second.size());
    return text;
}

bool MemoryFileStore::Read(const std::string &name, std::vector<uint8_t> &out) const
{
    out.clear();
    auto it = files.find(name);
    if (it == files.end())
        return false;
    out = it->second;
    return true;
}

bool MemoryFileStore::Write(const std::string &name, const std::vector<uint8_t> &bytes)
{
    if (name.empty())
        return false;
    files[name] = bytes;
    return true;
}

bool MemoryFileStore::Remove(const std::string &name)
{
    return files.erase(name) > 0;
}

}  // namespace handheld
