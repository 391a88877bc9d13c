#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/link/udp_socket.h"
#include "platform/socket_support_linux.h"

namespace vela::net {

namespace {

addrinfo* ResolveNumeric(const std::string& address, std::uint16_t port, bool numeric) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
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
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (open(fd, a)) {
            freeaddrinfo(list);
            return fd;
        }
        close(fd);
    }
    if (list != nullptr) {
        freeaddrinfo(list);
    }
    return -1;
}

IoResult Sent(ssize_t n, std::size_t size) {
    return n == static_cast<ssize_t>(size) ? IoResult::kOk : IoResult::kError;
}

}  // namespace

SocketLibrary::SocketLibrary() : result_(LibraryStart::kStarted) {}
SocketLibrary::~SocketLibrary() = default;

std::optional<std::string> ResolveFirstAddress(const std::string& host) {
    addrinfo* list = ResolveNumeric(host, 0, false);
    if (list == nullptr) {
        return std::nullopt;
    }
    char text[NI_MAXHOST] = {};
    const int r = getnameinfo(list->ai_addr, list->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
    freeaddrinfo(list);
    if (r != 0) {
        return std::nullopt;
    }
    return std::string(text);
}

UdpSocket UdpSocket::Connect(const std::string& address, std::uint16_t port) {
    return UdpSocket(FirstThatOpens(ResolveNumeric(address, port, true), [](int fd, addrinfo* a) {
        return connect(fd, a->ai_addr, a->ai_addrlen) == 0;
    }));
}

UdpSocket UdpSocket::Bind(const std::string& address, std::uint16_t port) {
    return UdpSocket(FirstThatOpens(ResolveNumeric(address, port, true), [](int fd, addrinfo* a) {
        return bind(fd, a->ai_addr, a->ai_addrlen) == 0;
    }));
}

std::uint16_t UdpSocket::LocalPort() const {
    return detail::LocalPortOf(static_cast<int>(handle_.load()));
}

IoResult UdpSocket::Send(const std::uint8_t* data, std::size_t size) {
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0) {
        return IoResult::kClosed;
    }
    return Sent(send(fd, data, size, MSG_NOSIGNAL), size);
}

IoResult UdpSocket::SendTo(const std::uint8_t* data, std::size_t size, const Peer& to) {
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0) {
        return IoResult::kClosed;
    }
    return Sent(sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(to.address.data()),
                       static_cast<socklen_t>(to.size)),
                size);
}

IoResult UdpSocket::Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                            std::uint32_t timeout_ms, Peer* from) {
    received = 0;
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0) {
        return IoResult::kClosed;
    }
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, static_cast<int>(timeout_ms));
    } while (r < 0 && errno == EINTR);
    if (r == 0) {
        return IoResult::kTimeout;
    }
    if (r < 0 || (p.revents & POLLNVAL) != 0) {
        return IoResult::kError;
    }
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const ssize_t n = recvfrom(fd, data, capacity, 0, reinterpret_cast<sockaddr*>(&addr), &len);
    if (n < 0) {
        // A refused earlier send (ICMP port unreachable) surfaces here on a connected socket.
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? IoResult::kTimeout
                                                                         : IoResult::kError;
    }
    if (from != nullptr) {
        from->size = std::min<std::size_t>(len, from->address.size());
        std::memcpy(from->address.data(), &addr, from->size);
    }
    received = static_cast<std::size_t>(n);
    return IoResult::kOk;
}

void UdpSocket::Close() {
    const auto fd = handle_.exchange(kInvalid);
    if (fd != kInvalid) {
        close(static_cast<int>(fd));
    }
}

}  // namespace vela::net
