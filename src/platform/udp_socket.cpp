#include "platform/udp_socket.h"

#include <algorithm>
#include <cstring>

#include "platform/socket_shim.h"

namespace vela::net {

namespace {

addrinfo* ResolveDatagram(const std::string& address, std::uint16_t port, bool numeric) {
    return shim::Resolve(address, port, SOCK_DGRAM, numeric ? AI_NUMERICHOST : 0);
}

IoResult Sent(shim::Transferred n, std::size_t size) {
    return n == static_cast<shim::Transferred>(size) ? IoResult::kOk : IoResult::kError;
}

}  // namespace

SocketLibrary::SocketLibrary() : result_(shim::StartLibrary()) {}

SocketLibrary::~SocketLibrary() {
    if (result_ != LibraryStart::kFailed) {
        shim::StopLibrary();
    }
}

std::optional<std::string> ResolveFirstAddress(const std::string& host) {
    const shim::AddressList list(ResolveDatagram(host, 0, false));
    if (list.begin() == nullptr) {
        return std::nullopt;
    }
    char text[NI_MAXHOST] = {};
    const addrinfo* first = list.begin();
    if (getnameinfo(first->ai_addr, static_cast<shim::AddrLen>(first->ai_addrlen), text, sizeof text, nullptr,
                    0, NI_NUMERICHOST) != 0) {
        return std::nullopt;
    }
    return std::string(text);
}

UdpSocket UdpSocket::Connect(const std::string& address, std::uint16_t port) {
    const shim::AddressList list(ResolveDatagram(address, port, true));
    const shim::Native s = shim::FirstThatOpens(list.begin(), [](shim::Native raw, const addrinfo& a) {
        return connect(raw, a.ai_addr, static_cast<shim::AddrLen>(a.ai_addrlen)) == 0;
    });
    return s == shim::kNoSocket ? UdpSocket() : UdpSocket(shim::ToHandle(s));
}

UdpSocket UdpSocket::Bind(const std::string& address, std::uint16_t port) {
    const shim::AddressList list(ResolveDatagram(address, port, true));
    const shim::Native s = shim::FirstThatOpens(list.begin(), [](shim::Native raw, const addrinfo& a) {
        return bind(raw, a.ai_addr, static_cast<shim::AddrLen>(a.ai_addrlen)) == 0;
    });
    return s == shim::kNoSocket ? UdpSocket() : UdpSocket(shim::ToHandle(s));
}

std::uint16_t UdpSocket::LocalPort() const {
    return shim::LocalPortOf(shim::FromHandle(handle_.load()));
}

IoResult UdpSocket::Send(const std::uint8_t* data, std::size_t size) {
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    return Sent(shim::SendBytes(shim::FromHandle(h), data, size), size);
}

IoResult UdpSocket::SendTo(const std::uint8_t* data, std::size_t size, const Peer& to) {
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    return Sent(shim::SendBytesTo(shim::FromHandle(h), data, size,
                                  reinterpret_cast<const sockaddr*>(to.address.data()), to.size),
                size);
}

IoResult UdpSocket::Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                            std::uint32_t timeout_ms, Peer* from) {
    received = 0;
    const auto h = handle_.load();
    if (h == kInvalid) {
        return IoResult::kClosed;
    }
    const shim::Ready ready = shim::WaitFor(shim::FromHandle(h), false, timeout_ms);
    if (ready == shim::Ready::kTimeout) {
        return IoResult::kTimeout;
    }
    if (ready == shim::Ready::kFailed) {
        return IoResult::kError;
    }
    sockaddr_storage addr{};
    shim::AddrLen len = 0;
    const auto n = shim::ReceiveBytesFrom(shim::FromHandle(h), data, capacity, addr, len);
    if (n < 0) {
        const int code = shim::LastError();
        if (!shim::DatagramCut(code)) {
            // A refused earlier send (ICMP port unreachable) surfaces here on a connected socket.
            return shim::WouldBlock(code) ? IoResult::kTimeout : IoResult::kError;
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
        shim::CloseNative(shim::FromHandle(h));
    }
}

}  // namespace vela::net
