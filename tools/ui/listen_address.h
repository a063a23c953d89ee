// The address the page's server listens on, and the Host names a request may
// give for it.
#ifndef TESSALINK_UI_LISTEN_ADDRESS_H
#define TESSALINK_UI_LISTEN_ADDRESS_H

#include <string>

namespace ui {

constexpr int kDefaultUiPort = 8765;

struct ListenAddress {
    std::string host = "127.0.0.1";  // an IPv6 address without its brackets
    int port = kDefaultUiPort;       // 0: any free port

    bool IsLoopback() const;
    // "127.0.0.1:8765", "[::1]:8765": as a URL and a Host header write it.
    std::string Authority() const;
};

// Parses "HOST:PORT", "[V6]:PORT", or ":PORT" (loopback). Returns what is
// wrong, or "".
std::string ParseListenAddress(const std::string &text, ListenAddress &address);

// Whether a Host header ("127.0.0.1:8765") names this server once it listens
// on port: the address itself; for loopback also "localhost" and the other
// loopback address; for all addresses (0.0.0.0, ::) any address written as
// numbers. A name that only DNS could turn into an address never does: a
// page of another site renamed to this address reaches nothing.
bool IsAcceptedHost(const ListenAddress &address, int port, const std::string &host);

}  // namespace ui

#endif
