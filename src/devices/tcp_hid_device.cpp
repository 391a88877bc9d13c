#include "devices/tcp_hid_device.h"

#include <algorithm>
#include <chrono>

namespace vela {

bool TcpHidDevice::Open(std::uint16_t, std::uint16_t) {
    Close();
    abort_.store(false);
    lost_.store(false);
    partial_.clear();
    socket_ = net::Socket::Connect(host_, port_, kConnectTimeoutMs, &last_error_);
    return socket_.Valid();
}

HidResult TcpHidDevice::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                   std::uint32_t timeout_ms) {
    received = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (partial_.size() < kReportSize) {
        if (abort_.load()) {
            return HidResult::kAborted;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        std::uint8_t chunk[kReportSize];
        std::size_t got = 0;
        // Waits in slices: shutting a socket down does not wake a waiting select() everywhere (Wine).
        const auto slice = std::clamp<std::int64_t>(left.count(), 0, kAbortSliceMs);
        const auto r =
            socket_.Receive(chunk, kReportSize - partial_.size(), got, static_cast<std::uint32_t>(slice));
        if (abort_.load()) {
            return HidResult::kAborted;
        }
        if (r == net::IoResult::kTimeout) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return HidResult::kTimeout;
            }
            continue;
        }
        if (r != net::IoResult::kOk) {
            lost_.store(true);
            return HidResult::kDisconnected;
        }
        partial_.insert(partial_.end(), chunk, chunk + got);
    }
    std::copy_n(partial_.begin(), kReportSize, report.begin());
    partial_.clear();
    received = kReportSize;
    return HidResult::kOk;
}

HidResult TcpHidDevice::WriteReport(std::span<const std::uint8_t, kReportSize> report,
                                    std::uint32_t timeout_ms) {
    if (abort_.load()) {
        return HidResult::kAborted;
    }
    if (lost_.load()) {
        return HidResult::kDisconnected;
    }
    std::size_t sent = 0;
    switch (socket_.SendAll(report.data(), report.size(), timeout_ms, &sent)) {
        case net::IoResult::kOk:
            return HidResult::kOk;
        case net::IoResult::kTimeout:
            if (sent == 0) {
                return HidResult::kTimeout;
            }
            // Half a report would shift every later one: the stream cannot be trusted any more.
            socket_.Shutdown();
            lost_.store(true);
            return HidResult::kDisconnected;
        default:
            lost_.store(true);
            return HidResult::kDisconnected;
    }
}

void TcpHidDevice::Abort() {
    abort_.store(true);
    socket_.Shutdown();
}

void TcpHidDevice::Close() {
    socket_.Close();
}

}  // namespace vela
