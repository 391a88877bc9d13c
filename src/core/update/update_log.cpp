#include "core/update/update_log.h"

#include <string>

namespace vela::update {

namespace {

// Says when the query could not be sent and when a reply came; the silent slices of a wait say nothing.
class LoggedDatagram final : public IDatagram {
  public:
    LoggedDatagram(std::unique_ptr<IDatagram> datagram, diag::IEventSink& events)
        : datagram_(std::move(datagram)), events_(events) {}
    net::IoResult Send(std::span<const std::uint8_t> data) override {
        const net::IoResult result = datagram_->Send(data);
        if (result != net::IoResult::kOk) {
            events_.Event("update_check", {{"result", "query not sent"}});
        }
        return result;
    }
    net::IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                          std::uint32_t timeout_ms) override {
        const net::IoResult result = datagram_->Receive(data, capacity, received, timeout_ms);
        if (result == net::IoResult::kOk) {
            events_.Event("update_check", {{"result", "reply"}, {"bytes", std::to_string(received)}});
        }
        return result;
    }

  private:
    std::unique_ptr<IDatagram> datagram_;
    diag::IEventSink& events_;
};

}  // namespace

NetworkStart LoggedUpdateNetwork::Start() {
    const NetworkStart started = network_.Start();
    if (started != NetworkStart::kStarted) {
        events_.Event("update_check",
                      {{"result", started == NetworkStart::kWrongVersion ? "socket library too old"
                                                                         : "socket library failed"}});
    }
    return started;
}

std::function<std::optional<std::string>()> LoggedUpdateNetwork::Resolver(const std::string& host) {
    events_.Event("update_check", {{"host", host}, {"result", "looking up"}});
    return network_.Resolver(host);
}

std::unique_ptr<IDatagram> LoggedUpdateNetwork::OpenDatagram(const std::string& address, std::uint16_t port) {
    auto datagram = network_.OpenDatagram(address, port);
    if (!datagram) {
        events_.Event("update_check",
                      {{"address", address}, {"port", std::to_string(port)}, {"result", "no socket"}});
        return datagram;
    }
    events_.Event("update_check",
                  {{"address", address}, {"port", std::to_string(port)}, {"result", "asking"}});
    return std::make_unique<LoggedDatagram>(std::move(datagram), events_);
}

std::unique_ptr<IStream> LoggedUpdateNetwork::Connect(const std::string& address, std::uint16_t port,
                                                      std::uint32_t timeout_ms) {
    auto stream = network_.Connect(address, port, timeout_ms);
    events_.Event("update_download", {{"address", address},
                                      {"port", std::to_string(port)},
                                      {"result", stream ? "connected" : "cannot connect"}});
    return stream;
}

}  // namespace vela::update
