#include "ini_reader.h"

namespace {

std::string Trimmed(const std::string &text)
{
    const char *blanks = " \t\r";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string Unquoted(const std::string &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::optional<std::string> FindIniValue(std::istream &in, const std::string &section,
                                        const std::string &key)
{
    bool inSection = false;
    std::string line;
    while (std::getline(in, line)) {
        std::string text = Trimmed(line);
        if (!text.empty() && text.front() == '[') {
            std::string::size_type close = text.find(']');
            inSection = close != std::string::npos &&
                        SameIgnoringCase(Trimmed(text.substr(1, close - 1)), section);
            continue;
        }
        std::string::size_type equals = text.find('=');
        if (inSection && equals != std::string::npos &&
            SameIgnoringCase(Trimmed(text.substr(0, equals)), key)) {
            return Unquoted(Trimmed(text.substr(equals + 1)));
        }
    }
    return std::nullopt;
}
