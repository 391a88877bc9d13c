// The update check's part of the diagnostic log: a network seam that reports each step it is asked for and
// passes it on unchanged.
#pragma once

#include <functional>

#include "core/diag/event_log.h"
#include "core/update/online_update.h"

namespace vela::update {

class LoggedUpdateNetwork final : public IUpdateNetwork {
  public:
    // Both must outlive this object.
    LoggedUpdateNetwork(IUpdateNetwork& network, diag::IEventSink& events)
        : network_(network), events_(events) {}

    NetworkStart Start() override;
    // The lookup itself may outlive this object (a close leaves a slow one behind), so it is logged when
    // asked for, and its answer when a socket is opened for it.
    std::function<std::optional<std::string>()> Resolver(const std::string& host) override;
    std::unique_ptr<IDatagram> OpenDatagram(const std::string& address, std::uint16_t port) override;
    std::unique_ptr<IStream> Connect(const std::string& address, std::uint16_t port,
                                     std::uint32_t timeout_ms) override;

  private:
    IUpdateNetwork& network_;
    diag::IEventSink& events_;
};

}  // namespace vela::update
