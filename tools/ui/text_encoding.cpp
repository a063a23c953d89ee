#include "text_encoding.h"

#include <cerrno>

#include <iconv.h>

namespace ui {

namespace {

constexpr char kHandheldCode[] = "CP932";
constexpr char kPageCode[] = "UTF-8";

bool Convert(const char *to, const char *from, const std::string &text, std::string &converted)
{
    const iconv_t conversion = ::iconv_open(to, from);
    if (conversion == reinterpret_cast<iconv_t>(-1))
        return false;
    converted.clear();
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char buffer[4096];
    bool whole = true;
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = ::iconv(conversion, &in, &inLeft, &out, &outLeft);
        converted.append(buffer, sizeof buffer - outLeft);
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            whole = false;
            break;
        }
    }
    ::iconv_close(conversion);
    return whole;
}

}  // namespace

bool Utf8ToShiftJis(const std::string &text, std::string &converted)
{
    return Convert(kHandheldCode, kPageCode, text, converted);
}

bool ShiftJisToUtf8(const std::string &text, std::string &converted)
{
    return Convert(kPageCode, kHandheldCode, text, converted);
}

}  // namespace ui
