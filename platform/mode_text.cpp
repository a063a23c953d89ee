#include "mode_text.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Views, not copies: parsing allocates nothing, so building a line state
// cannot fail for want of memory.
bool ApplyPair(std::string_view key, std::string_view value, LineState &state)
{
    if (key == "baud") {
        constexpr size_t kMaxDigits = 9;
        if (value.empty() || value.size() > kMaxDigits ||
            value.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        char digits[kMaxDigits + 1] = {};
        value.copy(digits, value.size());
        unsigned long baud = std::strtoul(digits, nullptr, 10);
        state.BaudRate = static_cast<uint32_t>(baud);
        return true;
    }
    if (key == "parity") {
        static const struct { const char *text; uint8_t parity; } kParities[] = {
            {"n", NOPARITY}, {"o", ODDPARITY}, {"e", EVENPARITY}, {"m", MARKPARITY}, {"s", SPACEPARITY}};
        for (const auto &p : kParities)
            if (value == p.text) {
                state.Parity = p.parity;
                return true;
            }
        return false;
    }
    if (key == "data") {
        if (value.size() != 1 || value[0] < '5' || value[0] > '8')
            return false;
        state.ByteSize = static_cast<uint8_t>(value[0] - '0');
        return true;
    }
    if (key == "stop") {
        if (value == "1") state.StopBits = ONESTOPBIT;
        else if (value == "1.5") state.StopBits = ONE5STOPBITS;
        else if (value == "2") state.StopBits = TWOSTOPBITS;
        else return false;
        return true;
    }
    if (key == "xon") {
        if (value != "on" && value != "off")
            return false;
        state.fOutX = state.fInX = (value == "on");
        return true;
    }
    return false;
}

}  // namespace

bool ParseModeText(const char *text, LineState &state)
{
    if (text == nullptr)
        return false;
    const char *p = text;
    while (*p != '\0') {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            break;
        const char *start = p;
        while (*p != '\0' && *p != ' ')
            ++p;
        const std::string_view pair(start, static_cast<size_t>(p - start));
        size_t eq = pair.find('=');
        if (eq == std::string_view::npos)
            return false;
        if (!ApplyPair(pair.substr(0, eq), pair.substr(eq + 1), state))
            return false;
    }
    return true;
}
