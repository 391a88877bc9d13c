#include "platform/update_network.h"

namespace vela {

namespace {

class Datagram final : public update::IDatagram {
  public:
    explicit Datagram(net::UdpSocket socket) : socket_(std::move(socket)) {}
    net::IoResult Send(std::span<const std::uint8_t> data) override {
        return socket_.Send(data.data(), data.size());
    }
    net::IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                          std::uint32_t timeout_ms) override {
        return socket_.Receive(data, capacity, received, timeout_ms);
    }

  private:
    net::UdpSocket socket_;
};

class Stream final : public update::IStream {
  public:
    explicit Stream(net::Socket socket) : socket_(std::move(socket)) {}
    net::IoResult Send(std::span<const std::uint8_t> data, std::uint32_t timeout_ms) override {
        return socket_.SendAll(data.data(), data.size(), timeout_ms);
    }
    net::IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                          std::uint32_t timeout_ms) override {
        return socket_.Receive(data, capacity, received, timeout_ms);
    }

  private:
    net::Socket socket_;
};

}  // namespace

update::NetworkStart SocketUpdateNetwork::Start() {
    library_ = std::make_shared<net::SocketLibrary>();
    switch (library_->Result()) {
        case net::LibraryStart::kStarted:
            return update::NetworkStart::kStarted;
        case net::LibraryStart::kWrongVersion:
            return update::NetworkStart::kWrongVersion;
        case net::LibraryStart::kFailed:
            break;
    }
    return update::NetworkStart::kFailed;
}

std::function<std::optional<std::string>()> SocketUpdateNetwork::Resolver(const std::string& host) {
    return [host, library = library_] {
        (void)library;
        return net::ResolveFirstAddress(host);
    };
}

std::unique_ptr<update::IDatagram> SocketUpdateNetwork::OpenDatagram(const std::string& address,
                                                                     std::uint16_t port) {
    net::UdpSocket socket = net::UdpSocket::Connect(address, port);
    if (!socket.Valid()) {
        return nullptr;
    }
    return std::make_unique<Datagram>(std::move(socket));
}

std::unique_ptr<update::IStream> SocketUpdateNetwork::Connect(const std::string& address, std::uint16_t port,
                                                              std::uint32_t timeout_ms) {
    // The TCP socket sets the no-delay option on every connection.
    net::Socket socket = net::Socket::Connect(address, port, timeout_ms);
    if (!socket.Valid()) {
        return nullptr;
    }
    return std::make_unique<Stream>(std::move(socket));
}

}  // namespace vela
