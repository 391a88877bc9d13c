// The update check's part of the diagnostic log: a network seam that reports each step it is asked for and
// passes it on unchanged.
#pragma once

#include "core/diag/event_log.h"
#include "core/update/online_update.h"

namespace vela::update {

class LoggedUpdateNetwork final : public IUpdateNetwork {
  public:
    // Both must outlive this object.
    LoggedUpdateNetwork(IUpdateNetwork& network, diag::IEventSink& events)
        : network_(network), events_(events) {}

    NetworkStart Start() override;
    std::optional<std::string> Resolve(const std::string& host) override;
    std::unique_ptr<IDatagram> OpenDatagram(const std::string& address, std::uint16_t port) override;
    std::unique_ptr<IStream> Connect(const std::string& address, std::uint16_t port,
                                     std::uint32_t timeout_ms) override;

  private:
    IUpdateNetwork& network_;
    diag::IEventSink& events_;
};

}  // namespace vela::update
