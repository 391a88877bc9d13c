#include "platform/tcp_socket.h"

#include "platform/socket_shim.h"

namespace vela::net {

namespace {

using shim::Ready;

// One client is served at a time; a few more may wait to be accepted.
constexpr int kListenBacklog = 4;

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

addrinfo* Resolve(const std::string& host, std::uint16_t port, bool passive, std::string* error) {
    int code = 0;
    addrinfo* list = shim::Resolve(host, port, SOCK_STREAM, passive ? AI_PASSIVE : 0, &code);
    if (list == nullptr) {
        SetError(error, !shim::Start() ? std::string("the socket library could not be started")
                                       : "cannot resolve " + host + ": " + shim::ResolveErrorText(code));
    }
    return list;
}

// Waits for a connect that did not finish at once; empty when it connected, else why not.
std::string FinishConnect(shim::Native s, std::uint32_t timeout_ms) {
    const Ready ready = shim::WaitFor(s, true, timeout_ms);
    if (ready == Ready::kTimeout) {
        return "connection timed out";
    }
    if (ready == Ready::kFailed) {
        return shim::ErrorText(shim::LastError());
    }
    const int code = shim::ConnectError(s);
    return code == 0 ? std::string() : shim::ErrorText(code);
}

}  // namespace

Socket Socket::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeout_ms,
                       std::string* error) {
    const shim::AddressList list(Resolve(host, port, false, error));
    const shim::Native s = shim::FirstThatOpens(list.begin(), [&](shim::Native raw, const addrinfo& a) {
        shim::SetNoDelay(raw);
        if (connect(raw, a.ai_addr, static_cast<shim::AddrLen>(a.ai_addrlen)) == 0) {
            return true;
        }
        const int code = shim::LastError();
        const std::string failed =
            shim::ConnectPending(code) ? FinishConnect(raw, timeout_ms) : shim::ErrorText(code);
        SetError(error, failed);
        return failed.empty();
    });
    if (s == shim::kNoSocket) {
        return Socket();
    }
    SetError(error, "");
    return Socket(shim::ToHandle(s));
}

Socket Socket::Listen(const std::string& host, std::uint16_t port, std::string* error) {
    const shim::AddressList list(Resolve(host, port, true, error));
    const shim::Native s = shim::FirstThatOpens(list.begin(), [&](shim::Native raw, const addrinfo& a) {
        shim::AllowAddressReuse(raw);
        if (bind(raw, a.ai_addr, static_cast<shim::AddrLen>(a.ai_addrlen)) != 0 ||
            listen(raw, kListenBacklog) != 0) {
            SetError(error, shim::ErrorText(shim::LastError()));
            return false;
        }
        return true;
    });
    return s == shim::kNoSocket ? Socket() : Socket(shim::ToHandle(s));
}

std::uint16_t Socket::LocalPort() const {
    return shim::LocalPortOf(shim::FromHandle(handle_.load()));
}

Socket Socket::Accept(std::uint32_t timeout_ms) {
    const std::intptr_t h = handle_.load();
    if (h == kInvalid || shim::WaitFor(shim::FromHandle(h), false, timeout_ms) != Ready::kReady) {
        return Socket();
    }
    const shim::Native client = shim::AcceptFrom(shim::FromHandle(h));
    if (client == shim::kNoSocket) {
        return Socket();
    }
    shim::SetNoDelay(client);
    return Socket(shim::ToHandle(client));
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
        const Ready ready = shim::WaitFor(shim::FromHandle(h), true, timeout_ms);
        if (ready == Ready::kTimeout) {
            return IoResult::kTimeout;
        }
        if (ready != Ready::kReady) {
            return IoResult::kClosed;
        }
        const auto n = shim::SendBytes(shim::FromHandle(h), data + sent, size - sent);
        if (n < 0) {
            if (shim::WouldBlock(shim::LastError())) {
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
    // A hang-up may still leave data to read; recv tells which.
    const Ready ready = shim::WaitFor(shim::FromHandle(h), false, timeout_ms);
    if (ready == Ready::kTimeout) {
        return IoResult::kTimeout;
    }
    if (ready == Ready::kFailed) {
        return IoResult::kError;
    }
    const auto n = shim::ReceiveBytes(shim::FromHandle(h), data, capacity);
    if (n == 0) {
        return IoResult::kClosed;
    }
    if (n < 0) {
        return shim::WouldBlock(shim::LastError()) ? IoResult::kTimeout : IoResult::kClosed;
    }
    received = static_cast<std::size_t>(n);
    return IoResult::kOk;
}

void Socket::Shutdown() {
    const std::intptr_t h = handle_.load();
    if (h != kInvalid) {
        shutdown(shim::FromHandle(h), shim::kShutBoth);
    }
}

void Socket::Close() {
    const auto h = handle_.exchange(kInvalid);
    if (h != kInvalid) {
        shim::CloseNative(shim::FromHandle(h));
    }
}

}  // namespace vela::net
