#include "core/update/update_log.h"

#include <string>

namespace vela::update {

NetworkStart LoggedUpdateNetwork::Start() {
    const NetworkStart started = network_.Start();
    if (started != NetworkStart::kStarted) {
        events_.Event("update_check",
                      {{"result", started == NetworkStart::kWrongVersion ? "socket library too old"
                                                                         : "socket library failed"}});
    }
    return started;
}

std::optional<std::string> LoggedUpdateNetwork::Resolve(const std::string& host) {
    auto address = network_.Resolve(host);
    events_.Event("update_check", {{"host", host},
                                   {"address", address.value_or("")},
                                   {"result", address ? "asking" : "host not found"}});
    return address;
}

std::unique_ptr<IDatagram> LoggedUpdateNetwork::OpenDatagram(const std::string& address, std::uint16_t port) {
    auto datagram = network_.OpenDatagram(address, port);
    if (!datagram) {
        events_.Event("update_check",
                      {{"address", address}, {"port", std::to_string(port)}, {"result", "no socket"}});
    }
    return datagram;
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
