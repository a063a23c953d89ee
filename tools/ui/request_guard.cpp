#include "request_guard.h"

#include "access_token.h"

namespace ui {

namespace {

constexpr char kBearer[] = "Bearer ";

bool ChangesState(const std::string &method)
{
    return method != "GET" && method != "HEAD";
}

std::string Trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string CookieValue(const std::string &header, const std::string &name)
{
    size_t start = 0;
    while (start <= header.size()) {
        size_t end = header.find(';', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string pair = Trimmed(header.substr(start, end - start));
        const size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.compare(0, equals, name) == 0 && equals == name.size())
            return pair.substr(equals + 1);
        start = end + 1;
    }
    return "";
}

GuardVerdict GuardRequest(const RequestFacts &request, const GuardRules &rules)
{
    if (!IsAcceptedHost(rules.address, rules.port, request.host))
        return {403, "this server answers only to its own address, not to the host \"" + request.host + "\""};
    if (ChangesState(request.method) && !request.origin.empty()) {
        const std::string scheme = "http://";
        const bool own = request.origin.compare(0, scheme.size(), scheme) == 0 &&
                         IsAcceptedHost(rules.address, rules.port, request.origin.substr(scheme.size()));
        if (!own)
            return {403, "a change asked by another site's page (" + request.origin + ") is refused"};
    }
    std::string given;
    if (request.authorization.compare(0, sizeof kBearer - 1, kBearer) == 0)
        given = Trimmed(request.authorization.substr(sizeof kBearer - 1));
    else if (!request.queryToken.empty())
        given = request.queryToken;
    else
        given = CookieValue(request.cookie, rules.cookieName);
    if (given.empty())
        return {401, "no token: open the address that `tessalink ui` printed, token included"};
    if (!TokensMatch(rules.token, given))
        return {403, "wrong token: open the address that `tessalink ui` printed at its last start"};
    return {};
}

}  // namespace ui
