#include "devices/tcp_hid_device.h"

#include <algorithm>
#include <chrono>

#include "platform/stream_access.h"

namespace vela {

namespace {
constexpr std::uint32_t kAnswerSendMs = 1000;
}  // namespace

std::string TcpHidDevice::Name() const {
    return (host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_);
}

std::string TcpHidDevice::Refusal() const {
    std::lock_guard lock(refusal_mutex_);
    return refusal_;
}

void TcpHidDevice::SetRefusal(std::string text) {
    std::lock_guard lock(refusal_mutex_);
    refusal_ = std::move(text);
}

bool TcpHidDevice::Open(std::uint16_t, std::uint16_t) {
    Close();
    abort_.store(false);
    lost_.store(false);
    partial_.clear();
    first_report_ = true;
    if (!token_error_.empty()) {
        SetRefusal(token_error_);
        return false;
    }
    socket_ = net::Socket::Connect(host_, port_, kConnectTimeoutMs, &last_error_);
    if (!socket_.Valid()) {
        return false;
    }
    if (!token_.empty() && !ProveToken()) {
        socket_.Close();
        return false;
    }
    return true;
}

bool TcpHidDevice::ProveToken() {
    Report word{};
    auto r = auth::ReceiveReport(socket_, word, auth::kAnswerLimitMs, abort_);
    auto message = auth::Decode(word);
    if (r == net::IoResult::kTimeout || (r == net::IoResult::kOk && !message)) {
        SetRefusal(Name() + " asked for no token (is it served without a token file?)");
        return false;
    }
    if (r != net::IoResult::kOk) {
        SetRefusal(Name() + " closed the connection before asking for the token");
        return false;
    }
    first_report_ = false;
    if (message->kind == auth::MessageKind::kOpen) {
        SetRefusal({});
        return true;
    }
    if (message->kind == auth::MessageKind::kChallenge) {
        const auto answer = auth::AnswerChallenge(auth::PlatformCrypto(), token_, *message);
        if (!answer) {
            SetRefusal("the token could not be proved (the crypto library failed)");
            return false;
        }
        const Report bytes = auth::Encode(*answer);
        if (socket_.SendAll(bytes.data(), bytes.size(), kAnswerSendMs) != net::IoResult::kOk) {
            SetRefusal(Name() + " closed the connection during the handshake");
            return false;
        }
        r = auth::ReceiveReport(socket_, word, auth::kAnswerLimitMs, abort_);
        message = auth::Decode(word);
        if (r == net::IoResult::kOk && message && message->kind == auth::MessageKind::kAccepted) {
            SetRefusal({});
            return true;
        }
    }
    if (r == net::IoResult::kOk && message && message->kind == auth::MessageKind::kRefused) {
        SetRefusal("refused by " + Name() + ": " + auth::RefusalText(*message));
    } else {
        SetRefusal(Name() + " did not finish the token handshake");
    }
    return false;
}

HidResult TcpHidDevice::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                   std::uint32_t timeout_ms) {
    received = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        const HidResult r = ReadWhole(report, static_cast<std::uint32_t>(std::max<long long>(left, 0)));
        if (r != HidResult::kOk) {
            return r;
        }
        if (!first_report_) {
            break;
        }
        first_report_ = false;
        const auto word = auth::Decode(report);
        if (!word) {
            SetRefusal({});
            break;
        }
        if (word->kind == auth::MessageKind::kOpen) {
            continue;  // a served processor that asks for no token
        }
        SetRefusal(
            "refused by " + Name() + ": " +
            (word->kind == auth::MessageKind::kRefused
                 ? auth::RefusalText(*word)
                 : std::string("it asks for a token (give --token-file FILE or set VELA_TOKEN_FILE)")));
        lost_.store(true);
        socket_.Shutdown();
        return HidResult::kDisconnected;
    }
    received = kReportSize;
    return HidResult::kOk;
}

HidResult TcpHidDevice::ReadWhole(std::span<std::uint8_t, kReportSize> report, std::uint32_t timeout_ms) {
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
