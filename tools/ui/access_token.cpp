#include "access_token.h"

#include <cstdint>
#include <cstdio>

#include <sys/random.h>

namespace ui {

namespace {
constexpr size_t kTokenBytes = 32;
}  // namespace

std::string NewAccessToken()
{
    uint8_t bytes[kTokenBytes];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got <= 0)
            return "";
        filled += static_cast<size_t>(got);
    }
    std::string token;
    char digits[3];
    for (const uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        token += digits;
    }
    return token;
}

bool TokensMatch(const std::string &expected, const std::string &given)
{
    if (expected.empty() || given.size() != expected.size())
        return false;
    unsigned difference = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned>(expected[i] ^ given[i]);
    return difference == 0;
}

}  // namespace ui
