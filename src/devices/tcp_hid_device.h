// The report stream: a HID device reached over TCP. Every report travels as exactly its 64 data bytes,
// with no report id, in both directions; an open connection is a plugged-in device, a closed one an
// unplugged device. The stream carries no ids: whatever serves the address is taken as the processor.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "core/link/hid_device.h"
#include "platform/tcp_socket.h"

namespace vela {

class TcpHidDevice final : public IHidDevice {
  public:
    static constexpr std::uint32_t kConnectTimeoutMs = 1000;
    static constexpr std::int64_t kAbortSliceMs = 50;  // longest wait before a read notices Abort()

    TcpHidDevice(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) override;
    void Abort() override;
    void Close() override;

    const std::string& LastError() const { return last_error_; }

  private:
    std::string host_;
    std::uint16_t port_;
    net::Socket socket_;
    std::atomic<bool> abort_{false};
    std::atomic<bool> lost_{false};  // the far end closed: writes fail as they would on an unplugged device
    // A report may arrive in pieces; the start of the next one waits here. Reader thread only.
    std::vector<std::uint8_t> partial_;
    std::string last_error_;  // worker thread only
};

}  // namespace vela
