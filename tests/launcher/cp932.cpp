#include "cp932.h"

#include <iconv.h>

#include <vector>

std::string Cp932ToUtf8(const std::string &text)
{
    iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return "<no CP932 converter>";
    }
    std::string input(text);
    std::vector<char> output(text.size() * 3 + 1);
    char *in = input.data();
    size_t inLeft = input.size();
    char *out = output.data();
    size_t outLeft = output.size();
    size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) {
        return "<not CP932>";
    }
    return std::string(output.data(), output.size() - outLeft);
}
