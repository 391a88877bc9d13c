// The report stream: a HID device reached over TCP. Every report travels as exactly its 64 data bytes,
// with no report id, in both directions; an open connection is a plugged-in device, a closed one an
// unplugged device. The stream carries no ids: whatever serves the address is taken as the processor.
// A served processor may first ask for proof of a token (see stream_handshake.h); its refusals are kept
// for the caller to tell the user.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/link/hid_device.h"
#include "core/link/stream_handshake.h"
#include "platform/tcp_socket.h"

namespace vela {

class TcpHidDevice final : public IHidDevice {
  public:
    static constexpr std::uint32_t kConnectTimeoutMs = 1000;
    static constexpr std::int64_t kAbortSliceMs = 50;  // longest wait before a read notices Abort()

    // token: what to prove when the server asks; token_error: why the token file could not be read
    // (every Open then fails with it).
    TcpHidDevice(std::string host, std::uint16_t port, auth::Token token = {}, std::string token_error = {})
        : host_(std::move(host)),
          port_(port),
          token_(std::move(token)),
          token_error_(std::move(token_error)) {}

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) override;
    void Abort() override;
    void Close() override;

    const std::string& LastError() const { return last_error_; }
    // Why the server refused the latest connection ("refused by HOST:PORT: wrong token"); empty once a
    // connection was let in. Any thread.
    std::string Refusal() const;

  private:
    std::string Name() const;
    void SetRefusal(std::string text);
    bool ProveToken();
    HidResult ReadWhole(std::span<std::uint8_t, kReportSize> report, std::uint32_t timeout_ms);

    std::string host_;
    std::uint16_t port_;
    net::Socket socket_;
    std::atomic<bool> abort_{false};
    std::atomic<bool> lost_{false};  // the far end closed: writes fail as they would on an unplugged device
    // A report may arrive in pieces; the start of the next one waits here. Reader thread only.
    std::vector<std::uint8_t> partial_;
    std::string last_error_;  // worker thread only
    // The first report of a connection may be the server's word instead of the processor's.
    bool first_report_ = true;  // reader thread only
    auth::Token token_;
    std::string token_error_;
    mutable std::mutex refusal_mutex_;
    std::string refusal_;
};

}  // namespace vela
