// The update thread's network on the platform's sockets.
#pragma once

#include <memory>

#include "core/update/online_update.h"
#include "platform/tcp_socket.h"
#include "platform/udp_socket.h"

namespace vela {

class SocketUpdateNetwork final : public update::IUpdateNetwork {
  public:
    update::NetworkStart Start() override;
    std::function<std::optional<std::string>()> Resolver(const std::string& host) override;
    std::unique_ptr<update::IDatagram> OpenDatagram(const std::string& address, std::uint16_t port) override;
    std::unique_ptr<update::IStream> Connect(const std::string& address, std::uint16_t port,
                                             std::uint32_t timeout_ms) override;

  private:
    // Shared with lookups still running, so that the library outlives them.
    std::shared_ptr<net::SocketLibrary> library_;
};

}  // namespace vela
