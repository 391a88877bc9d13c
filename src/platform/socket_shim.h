// The few places where Windows Sockets 2 and POSIX sockets differ, so that the TCP and UDP sockets are
// written once against the BSD API. Included only by the socket implementations.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
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
#endif

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/udp_socket.h"

namespace vela::net::shim {

enum class Ready { kReady, kTimeout, kHangup, kFailed };

#ifdef _WIN32

using Native = SOCKET;
using AddrLen = int;
using Transferred = int;
inline const Native kNoSocket = INVALID_SOCKET;
constexpr int kNoSignal = 0;
constexpr int kShutBoth = SD_BOTH;

// Started once per process and left running: sockets and name resolution may be used until the process ends.
inline bool Start() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// The update check asks for version 2.0 and tells the user when only another one is there.
inline LibraryStart StartLibrary() {
    constexpr WORD kAskedVersion = MAKEWORD(2, 0);
    WSADATA data;
    if (WSAStartup(kAskedVersion, &data) != 0) {
        return LibraryStart::kFailed;
    }
    return data.wVersion == kAskedVersion ? LibraryStart::kStarted : LibraryStart::kWrongVersion;
}

inline void StopLibrary() {
    WSACleanup();
}

inline int LastError() {
    return WSAGetLastError();
}

inline bool WouldBlock(int code) {
    return code == WSAEWOULDBLOCK;
}

inline bool ConnectPending(int code) {
    return code == WSAEWOULDBLOCK;
}

// POSIX cuts a longer datagram to the buffer silently; Windows says so, and the cut datagram still counts.
inline bool DatagramCut(int code) {
    return code == WSAEMSGSIZE;
}

// The words POSIX gives for the errors a user meets, so that a message reads the same on both systems.
inline std::string ErrorText(int code) {
    switch (code) {
        case WSAECONNREFUSED:
            return "Connection refused";
        case WSAETIMEDOUT:
            return "Connection timed out";
        case WSAECONNRESET:
            return "Connection reset by peer";
        case WSAEHOSTUNREACH:
            return "No route to host";
        case WSAENETUNREACH:
            return "Network is unreachable";
        case WSAEADDRINUSE:
            return "Address already in use";
        case WSAEADDRNOTAVAIL:
            return "Cannot assign requested address";
        case WSAEACCES:
            return "Permission denied";
        default:
            return "socket error " + std::to_string(code);
    }
}

inline std::string ResolveErrorText(int code) {
    return ErrorText(code);
}

inline bool SetNonBlocking(Native s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

inline void CloseNative(Native s) {
    closesocket(s);
}

// Not inherited by child processes, and never blocking: every wait goes through WaitFor.
inline Native Open(int family, int type, int protocol) {
    const Native s = socket(family, type, protocol);
    if (s != kNoSocket && !SetNonBlocking(s)) {
        CloseNative(s);
        return kNoSocket;
    }
    return s;
}

inline Native AcceptFrom(Native listener) {
    const Native client = accept(listener, nullptr, nullptr);
    if (client != kNoSocket) {
        SetNonBlocking(client);
    }
    return client;
}

// Windows lets a second listener take a port marked for reuse, so the mark is left off.
inline void AllowAddressReuse(Native) {}

// select() with one socket stands in for poll(), which older Wine versions lack.
inline Ready WaitFor(Native s, bool write, std::uint32_t timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set except;
    FD_ZERO(&except);
    FD_SET(s, &except);
    timeval tv{static_cast<long>(timeout_ms / 1000), static_cast<long>((timeout_ms % 1000) * 1000)};
    const int r = select(0, write ? nullptr : &set, write ? &set : nullptr, &except, &tv);
    if (r == SOCKET_ERROR) {
        return Ready::kFailed;
    }
    if (r == 0) {
        return Ready::kTimeout;
    }
    return FD_ISSET(s, &except) ? Ready::kHangup : Ready::kReady;
}

#else

using Native = int;
using AddrLen = socklen_t;
using Transferred = ssize_t;
constexpr Native kNoSocket = -1;
// A peer that went away must not end the process with SIGPIPE.
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kShutBoth = SHUT_RDWR;

inline bool Start() {
    return true;
}

inline LibraryStart StartLibrary() {
    return LibraryStart::kStarted;
}

inline void StopLibrary() {}

inline int LastError() {
    return errno;
}

inline bool WouldBlock(int code) {
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

inline bool ConnectPending(int code) {
    return code == EINPROGRESS;
}

inline bool DatagramCut(int) {
    return false;
}

inline std::string ErrorText(int code) {
    return std::strerror(code);
}

inline std::string ResolveErrorText(int code) {
    return gai_strerror(code);
}

inline void CloseNative(Native s) {
    close(s);
}

// Not inherited by child processes, and never blocking: every wait goes through WaitFor.
inline Native Open(int family, int type, int protocol) {
    return socket(family, type | SOCK_CLOEXEC | SOCK_NONBLOCK, protocol);
}

inline Native AcceptFrom(Native listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
}

// A restarted velasim binds its port again at once, though the last connection is still in TIME_WAIT.
inline void AllowAddressReuse(Native s) {
    const int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
}

inline Ready WaitFor(Native s, bool write, std::uint32_t timeout_ms) {
    pollfd p{s, static_cast<short>(write ? POLLOUT : POLLIN), 0};
    int r;
    do {
        // A signal (Ctrl-C in velasim) is handled by the caller's next test of its flags.
        r = poll(&p, 1, static_cast<int>(timeout_ms));
    } while (r < 0 && errno == EINTR);
    if (r < 0 || (r > 0 && (p.revents & POLLNVAL) != 0)) {
        return Ready::kFailed;
    }
    if (r == 0) {
        return Ready::kTimeout;
    }
    return (p.revents & (POLLERR | POLLHUP)) != 0 ? Ready::kHangup : Ready::kReady;
}

#endif

inline Native FromHandle(std::intptr_t handle) {
    return static_cast<Native>(handle);
}

inline std::intptr_t ToHandle(Native s) {
    return static_cast<std::intptr_t>(s);
}

// Reports go out one at a time and each waits for its answer: Nagle's delay would stall every exchange.
inline void SetNoDelay(Native s) {
    const int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

// The error a non-blocking connect ended with; 0 when it connected.
inline int ConnectError(Native s) {
    int code = 0;
    AddrLen len = sizeof code;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &len) != 0) {
        return LastError();
    }
    return code;
}

inline Transferred SendBytes(Native s, const std::uint8_t* data, std::size_t size) {
    return send(s, reinterpret_cast<const char*>(data), static_cast<int>(size), kNoSignal);
}

inline Transferred SendBytesTo(Native s, const std::uint8_t* data, std::size_t size, const sockaddr* to,
                               std::size_t to_size) {
    return sendto(s, reinterpret_cast<const char*>(data), static_cast<int>(size), kNoSignal, to,
                  static_cast<AddrLen>(to_size));
}

inline Transferred ReceiveBytes(Native s, std::uint8_t* data, std::size_t capacity) {
    return recv(s, reinterpret_cast<char*>(data), static_cast<int>(capacity), 0);
}

inline Transferred ReceiveBytesFrom(Native s, std::uint8_t* data, std::size_t capacity,
                                    sockaddr_storage& from, AddrLen& from_size) {
    from_size = sizeof from;
    return recvfrom(s, reinterpret_cast<char*>(data), static_cast<int>(capacity), 0,
                    reinterpret_cast<sockaddr*>(&from), &from_size);
}

// The port the system bound the socket to; 0 when it cannot tell.
inline std::uint16_t LocalPortOf(Native s) {
    sockaddr_storage addr{};
    AddrLen len = sizeof addr;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return 0;
    }
    if (addr.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    }
    return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
}

// Resolves host:port for one socket type (an empty host: any address, when passive). `code` is the resolver's
// error when nothing came back.
inline addrinfo* Resolve(const std::string& host, std::uint16_t port, int type, int flags,
                         int* code = nullptr) {
    if (!Start()) {
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    hints.ai_protocol = type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    const int r = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list);
    if (code != nullptr) {
        *code = r;
    }
    return r == 0 ? list : nullptr;
}

// A fresh socket on the first address for which `try_open` succeeds; kNoSocket when none does.
template <class TryOpen>
Native FirstThatOpens(const addrinfo* list, TryOpen try_open) {
    for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
        const Native s = Open(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == kNoSocket) {
            continue;
        }
        if (try_open(s, *a)) {
            return s;
        }
        CloseNative(s);
    }
    return kNoSocket;
}

// Frees a resolver's answer when it goes out of scope.
class AddressList {
  public:
    explicit AddressList(addrinfo* list) : list_(list) {}
    ~AddressList() {
        if (list_ != nullptr) {
            freeaddrinfo(list_);
        }
    }
    AddressList(const AddressList&) = delete;
    AddressList& operator=(const AddressList&) = delete;
    addrinfo* begin() const { return list_; }

  private:
    addrinfo* list_;
};

}  // namespace vela::net::shim
