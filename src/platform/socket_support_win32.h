// What the TCP and UDP sockets share on Windows Sockets 2.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>

namespace vela::net::detail {

// Started once per process and left running: sockets and name resolution may be used until the process ends.
inline bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

inline SOCKET AsSocket(std::intptr_t h) {
    return static_cast<SOCKET>(h);
}

// The port the system bound the socket to; 0 when it cannot tell.
inline std::uint16_t LocalPortOf(SOCKET s) {
    sockaddr_storage addr{};
    int len = sizeof addr;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return 0;
    }
    if (addr.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    }
    return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
}

}  // namespace vela::net::detail
