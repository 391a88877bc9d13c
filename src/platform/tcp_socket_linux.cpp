#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/link/tcp_socket.h"
#include "platform/socket_support_linux.h"

namespace vela::net {

namespace {

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Reports go out one at a time and each waits for its answer: Nagle's delay would stall every exchange.
void SetNoDelay(int fd) {
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// -1 error, 0 timeout, otherwise the revents.
int PollOne(int fd, short events, std::uint32_t timeout_ms) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = poll(&p, 1, static_cast<int>(timeout_ms));
        if (r < 0 && errno == EINTR) {
            continue;  // a signal (Ctrl-C in velasim) is handled by the caller's next test of its flags
        }
        if (r <= 0) {
            return r;
        }
        return p.revents;
    }
}

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

addrinfo* Resolve(const std::string& host, std::uint16_t port, bool passive, std::string* error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    const int r = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list);
    if (r != 0) {
        SetError(error, std::string("cannot resolve ") + host + ": " + gai_strerror(r));
        return nullptr;
    }
    return list;
}

}  // namespace

Socket Socket::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeout_ms,
                       std::string* error) {
    addrinfo* list = Resolve(host, port, false, error);
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        Socket s(fd);
        if (!SetNonBlocking(fd)) {
            continue;
        }
        SetNoDelay(fd);
        if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                SetError(error, std::strerror(errno));
                continue;
            }
            if (PollOne(fd, POLLOUT, timeout_ms) <= 0) {
                SetError(error, "connection timed out");
                continue;
            }
            int so_error = 0;
            socklen_t len = sizeof so_error;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len) != 0 || so_error != 0) {
                SetError(error, std::strerror(so_error));
                continue;
            }
        }
        freeaddrinfo(list);
        SetError(error, "");
        return s;
    }
    if (list != nullptr) {
        freeaddrinfo(list);
    }
    return Socket();
}

Socket Socket::Listen(const std::string& host, std::uint16_t port, std::string* error) {
    addrinfo* list = Resolve(host, port, true, error);
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        Socket s(fd);
        const int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (!SetNonBlocking(fd) || bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 4) != 0) {
            SetError(error, std::strerror(errno));
            continue;
        }
        freeaddrinfo(list);
        return s;
    }
    if (list != nullptr) {
        freeaddrinfo(list);
    }
    return Socket();
}

std::uint16_t Socket::LocalPort() const {
    return detail::LocalPortOf(static_cast<int>(handle_.load()));
}

Socket Socket::Accept(std::uint32_t timeout_ms) {
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0 || PollOne(fd, POLLIN, timeout_ms) <= 0) {
        return Socket();
    }
    const int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
        return Socket();
    }
    SetNoDelay(client);
    return Socket(client);
}

IoResult Socket::SendAll(const std::uint8_t* data, std::size_t size, std::uint32_t timeout_ms,
                         std::size_t* sent_out) {
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0) {
        return IoResult::kClosed;
    }
    std::size_t sent = 0;
    struct TellSent {
        std::size_t& sent;
        std::size_t* out;
        ~TellSent() {
            if (out != nullptr)
                *out = sent;
        }
    } tell_sent{sent, sent_out};
    while (sent < size) {
        const int ev = PollOne(fd, POLLOUT, timeout_ms);
        if (ev == 0) {
            return IoResult::kTimeout;
        }
        if (ev < 0 || (ev & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return IoResult::kClosed;
        }
        const ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                continue;
            }
            return IoResult::kClosed;
        }
        sent += static_cast<std::size_t>(n);
    }
    return IoResult::kOk;
}

IoResult Socket::Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                         std::uint32_t timeout_ms) {
    received = 0;
    const int fd = static_cast<int>(handle_.load());
    if (fd < 0) {
        return IoResult::kClosed;
    }
    const int ev = PollOne(fd, POLLIN, timeout_ms);
    if (ev == 0) {
        return IoResult::kTimeout;
    }
    if (ev < 0 || (ev & POLLNVAL) != 0) {
        return IoResult::kError;
    }
    const ssize_t n = recv(fd, data, capacity, 0);
    if (n == 0) {
        return IoResult::kClosed;
    }
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            return IoResult::kTimeout;
        }
        return IoResult::kClosed;
    }
    received = static_cast<std::size_t>(n);
    return IoResult::kOk;
}

void Socket::Shutdown() {
    const int fd = static_cast<int>(handle_.load());
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
    }
}

void Socket::Close() {
    const auto fd = handle_.exchange(kInvalid);
    if (fd != kInvalid) {
        close(static_cast<int>(fd));
    }
}

}  // namespace vela::net
