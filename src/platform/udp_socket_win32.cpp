// Windows Sockets 2: select() with one socket stands in for poll(), as in the TCP socket.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

#include "core/link/udp_socket.h"
#include "platform/socket_support_win32.h"

namespace vela::net {

namespace {

using detail::AsSocket;
using detail::StartWinsock;

constexpr WORD kAskedVersion = MAKEWORD(2, 0);

addrinfo* ResolveNumeric(const std::string& address, std::uint16_t port, bool numeric) {
    if (!StartWinsock()) {
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    hints.ai_flags = numeric ? AI_NUMERICHOST : 0;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(), &hints, &list) != 0) {
        return nullptr;
    }
    return list;
}

template <class Open>
std::intptr_t FirstThatOpens(addrinfo* list, Open open) {
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            continue;
        }
        u_long on = 1;
        if (ioctlsocket(s, FIONBIO, &on) == 0 && open(s, a)) {
            freeaddrinfo(list);
            return static_cast<std::intptr_t>(s);
        }
        closesocket(s);
    }
    if (list != nullptr) {
        freeaddrinfo(list);
    }
    return -1;
}

IoResult Sent(int n, std::size_t size) {
    return n == static_cast<int>(size) ? IoResult::kOk : IoResult::kError;
}

}  // namespace

SocketLibrary::SocketLibrary() {
    WSADATA data;
    if (WSAStartup(kAskedVersion, &data) != 0) {
        result_ = LibraryStart::kFailed;
        return;
    }
    result_ = data.wVersion == kAskedVersion ? LibraryStart::kStarted : LibraryStart::kWrongVersion;
}

SocketLibrary::~SocketLibrary() {
    if (result_ != LibraryStart::kFailed) {
        WSACleanup();
    }
}

std::optional<std::string> ResolveFirstAddress(const std::string& host) {
    addrinfo* list = ResolveNumeric(host, 0, false);
    if (list == nullptr) {
        return std::nullopt;
    }
    char text[NI_MAXHOST] = {};
    const int r = getnameinfo(list->ai_addr, static_cast<socklen_t>(list->ai_addrlen), text, sizeof text,
                              nullptr, 0, NI_NUMERICHOST);
    freeaddrinfo(list);
    if (r != 0) {
        return std::nullopt;
    }
    return std::string(text);
}

UdpSocket UdpSocket::Connect(const std::string& address, std::uint16_t port) {
    return UdpSocket(FirstThatOpens(ResolveNumeric(address, port, true), [](SOCKET s, addrinfo* a) {
        return connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
    }));
}

UdpSocket UdpSocket::Bind(const std::string& address, std::uint16_t port) {
    return UdpSocket(FirstThatOpens(ResolveNumeric(address, port, true), [](SOCKET s, addrinfo* a) {
        return bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
    }));
}

std::uint16_t UdpSocket::LocalPort() const {
    return detail::LocalPortOf(AsSocket(handle_.load()));
}

IoResult UdpSocket::Send(const std::uint8_t* data, std::size_t size) {
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    return Sent(send(AsSocket(h), reinterpret_cast<const char*>(data), static_cast<int>(size), 0), size);
}

IoResult UdpSocket::SendTo(const std::uint8_t* data, std::size_t size, const Peer& to) {
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    return Sent(sendto(AsSocket(h), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                       reinterpret_cast<const sockaddr*>(to.address.data()), static_cast<int>(to.size)),
                size);
}

IoResult UdpSocket::Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                            std::uint32_t timeout_ms, Peer* from) {
    received = 0;
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    fd_set set;
    FD_ZERO(&set);
    FD_SET(AsSocket(h), &set);
    timeval tv{static_cast<long>(timeout_ms / 1000), static_cast<long>((timeout_ms % 1000) * 1000)};
    const int r = select(0, &set, nullptr, nullptr, &tv);
    if (r == 0) {
        return IoResult::kTimeout;
    }
    if (r == SOCKET_ERROR) {
        return IoResult::kError;
    }
    sockaddr_storage addr{};
    int len = sizeof addr;
    const int n = recvfrom(AsSocket(h), reinterpret_cast<char*>(data), static_cast<int>(capacity), 0,
                           reinterpret_cast<sockaddr*>(&addr), &len);
    if (n == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        // A longer datagram arrives cut to the buffer, as on POSIX.
        if (code != WSAEMSGSIZE) {
            return code == WSAEWOULDBLOCK ? IoResult::kTimeout : IoResult::kError;
        }
        received = capacity;
    } else {
        received = static_cast<std::size_t>(n);
    }
    if (from != nullptr) {
        from->size = std::min<std::size_t>(static_cast<std::size_t>(len), from->address.size());
        std::memcpy(from->address.data(), &addr, from->size);
    }
    return IoResult::kOk;
}

void UdpSocket::Close() {
    const auto h = handle_.exchange(kInvalid);
    if (h != kInvalid) {
        closesocket(AsSocket(h));
    }
}

}  // namespace vela::net
