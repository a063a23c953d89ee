// The token that every request to the page's server must carry: fresh at each
// start, from the system's random source.
#ifndef TESSALINK_UI_ACCESS_TOKEN_H
#define TESSALINK_UI_ACCESS_TOKEN_H

#include <string>

namespace ui {

// 32 random bytes as 64 hexadecimal digits; "" when the system gives none.
std::string NewAccessToken();

// Compares in a time that does not tell how much of a guess was right.
bool TokensMatch(const std::string &expected, const std::string &given);

}  // namespace ui

#endif
