#include "layout_strings.h"

namespace cli {

namespace {

constexpr char kLineSeparator = '\x1F';

}  // namespace

std::string LayoutStrings(const std::string &input)
{
    std::string strings;
    size_t start = 0;
    while (start < input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        const std::string line = input.substr(start, end - start);
        strings += line.empty() ? std::string(1, kLineSeparator) : line;
        strings += '\0';
        start = end + 1;
    }
    strings += '\0';
    return strings;
}

size_t LayoutOutputBound(const std::string &strings, size_t factor)
{
    const size_t textLength = strings.empty() ? 0 : strings.size() - 1;
    return factor * textLength + 1;
}

}  // namespace cli
