#include "listen_address.h"

#include <arpa/inet.h>

namespace ui {

namespace {

constexpr int kMaxPort = 65535;

std::string WithPort(const std::string &host, int port)
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

bool ListenAddress::IsLoopback() const
{
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::string ListenAddress::Authority() const
{
    return WithPort(host, port);
}

std::string ParseListenAddress(const std::string &text, ListenAddress &address)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return "give HOST:PORT, e.g. 127.0.0.1:8765";
    std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host.empty())
        host = "127.0.0.1";
    in_addr v4{};
    in6_addr v6{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) != 1 && ::inet_pton(AF_INET6, host.c_str(), &v6) != 1)
        return "\"" + host + "\" is no IP address: give one such as 127.0.0.1";
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(port) > kMaxPort)
        return "\"" + port + "\" is no port number (0-65535)";
    address.host = host;
    address.port = std::stoi(port);
    return "";
}

bool IsAcceptedHost(const ListenAddress &address, int port, const std::string &host)
{
    const std::string suffix = ":" + std::to_string(port);
    if (host.size() <= suffix.size() || host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    std::string name = host.substr(0, host.size() - suffix.size());
    const bool bracketed = name.size() >= 2 && name.front() == '[' && name.back() == ']';
    if (bracketed)
        name = name.substr(1, name.size() - 2);
    ListenAddress named;
    named.host = name;
    in_addr v4{};
    in6_addr v6{};
    const bool isV4 = ::inet_pton(AF_INET, name.c_str(), &v4) == 1;
    const bool isV6 = bracketed && ::inet_pton(AF_INET6, name.c_str(), &v6) == 1;
    if (name == address.host && (isV4 || isV6))
        return true;
    if (address.IsLoopback())
        return name == "localhost" || ((isV4 || isV6) && named.IsLoopback());
    if (address.host == "0.0.0.0" || address.host == "::")
        return isV4 || isV6 || name == "localhost";
    return false;
}

}  // namespace ui
