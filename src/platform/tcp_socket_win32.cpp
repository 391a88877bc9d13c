// Windows Sockets 2: select() with one socket stands in for poll(), which older Wine versions lack.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "core/link/tcp_socket.h"
#include "platform/socket_support_win32.h"

namespace vela::net {

namespace {

using detail::AsSocket;
using detail::StartWinsock;

enum class Wait { kRead, kWrite };

// -1 error, 0 timeout, 1 ready.
int WaitFor(SOCKET s, Wait what, std::uint32_t timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set except;
    FD_ZERO(&except);
    FD_SET(s, &except);
    timeval tv{static_cast<long>(timeout_ms / 1000), static_cast<long>((timeout_ms % 1000) * 1000)};
    const int r =
        select(0, what == Wait::kRead ? &set : nullptr, what == Wait::kWrite ? &set : nullptr, &except, &tv);
    if (r == SOCKET_ERROR) {
        return -1;
    }
    if (r == 0) {
        return 0;
    }
    return FD_ISSET(s, &except) ? -1 : 1;
}

bool SetNonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

void SetNoDelay(SOCKET s) {
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

std::string ErrorText(int code) {
    return "socket error " + std::to_string(code);
}

addrinfo* Resolve(const std::string& host, std::uint16_t port, bool passive, std::string* error) {
    if (!StartWinsock()) {
        SetError(error, "Windows Sockets could not be started");
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    const int r = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list);
    if (r != 0) {
        SetError(error, "cannot resolve " + host + ": " + ErrorText(r));
        return nullptr;
    }
    return list;
}

}  // namespace

Socket Socket::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeout_ms,
                       std::string* error) {
    addrinfo* list = Resolve(host, port, false, error);
    for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const SOCKET raw = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (raw == INVALID_SOCKET) {
            continue;
        }
        Socket s(static_cast<std::intptr_t>(raw));
        if (!SetNonBlocking(raw)) {
            continue;
        }
        SetNoDelay(raw);
        if (connect(raw, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            const int code = WSAGetLastError();
            if (code != WSAEWOULDBLOCK) {
                SetError(error, ErrorText(code));
                continue;
            }
            if (WaitFor(raw, Wait::kWrite, timeout_ms) != 1) {
                SetError(error, "connection refused or timed out");
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
        const SOCKET raw = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (raw == INVALID_SOCKET) {
            continue;
        }
        Socket s(static_cast<std::intptr_t>(raw));
        if (!SetNonBlocking(raw) || bind(raw, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 ||
            listen(raw, 4) != 0) {
            SetError(error, ErrorText(WSAGetLastError()));
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
    return detail::LocalPortOf(AsSocket(handle_.load()));
}

Socket Socket::Accept(std::uint32_t timeout_ms) {
    const std::intptr_t h = handle_.load();
    if (h == kInvalid || WaitFor(AsSocket(h), Wait::kRead, timeout_ms) != 1) {
        return Socket();
    }
    const SOCKET client = accept(AsSocket(h), nullptr, nullptr);
    if (client == INVALID_SOCKET) {
        return Socket();
    }
    SetNonBlocking(client);
    SetNoDelay(client);
    return Socket(static_cast<std::intptr_t>(client));
}

IoResult Socket::SendAll(const std::uint8_t* data, std::size_t size, std::uint32_t timeout_ms,
                         std::size_t* sent_out) {
    const std::intptr_t h = handle_.load();
    if (h == kInvalid) {
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
        const int w = WaitFor(AsSocket(h), Wait::kWrite, timeout_ms);
        if (w == 0) {
            return IoResult::kTimeout;
        }
        if (w < 0) {
            return IoResult::kClosed;
        }
        const int n =
            send(AsSocket(h), reinterpret_cast<const char*>(data + sent), static_cast<int>(size - sent), 0);
        if (n == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) {
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
    const std::intptr_t h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    const int w = WaitFor(AsSocket(h), Wait::kRead, timeout_ms);
    if (w == 0) {
        return IoResult::kTimeout;
    }
    if (w < 0) {
        return IoResult::kClosed;
    }
    const int n = recv(AsSocket(h), reinterpret_cast<char*>(data), static_cast<int>(capacity), 0);
    if (n == 0) {
        return IoResult::kClosed;
    }
    if (n == SOCKET_ERROR) {
        return WSAGetLastError() == WSAEWOULDBLOCK ? IoResult::kTimeout : IoResult::kClosed;
    }
    received = static_cast<std::size_t>(n);
    return IoResult::kOk;
}

void Socket::Shutdown() {
    const std::intptr_t h = handle_.load();
    if (h != kInvalid) {
        shutdown(AsSocket(h), SD_BOTH);
    }
}

void Socket::Close() {
    const auto h = handle_.exchange(kInvalid);
    if (h != kInvalid) {
        closesocket(AsSocket(h));
    }
}

}  // namespace vela::net
