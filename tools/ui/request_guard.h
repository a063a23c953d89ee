// What every request to the page's server passes before any handler sees it:
// a Host that names this server, for a change an Origin that is the page's
// own, and the token, as a bearer or as the page's cookie.
#ifndef TESSALINK_UI_REQUEST_GUARD_H
#define TESSALINK_UI_REQUEST_GUARD_H

#include <string>

#include "listen_address.h"

namespace ui {

struct GuardRules {
    ListenAddress address;
    int port = 0;  // the port listened on
    std::string token;
    std::string cookieName;  // "tessalink-token-<port>"
};

// The parts of a request the guard reads ("" for a header not given).
struct RequestFacts {
    std::string method;
    std::string host;
    std::string origin;
    std::string authorization;
    std::string cookie;
    std::string queryToken;  // ?token=: taken only where the page is opened
};

struct GuardVerdict {
    int status = 0;  // 0: let it through; else 401 or 403
    std::string error;
};

GuardVerdict GuardRequest(const RequestFacts &request, const GuardRules &rules);

// The value of a cookie in a Cookie header, "" when it has none of the name.
std::string CookieValue(const std::string &header, const std::string &name);

}  // namespace ui

#endif
