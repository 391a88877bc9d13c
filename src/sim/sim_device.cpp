#include "sim/sim_device.h"

#include <cstdio>

namespace vela::sim {

SimulatedDevice::SimulatedDevice(std::uint16_t vendor_id, std::uint16_t product_id, std::uint32_t seed)
    : vendor_id_(vendor_id),
      product_id_(product_id),
      processor_([this](std::vector<std::uint8_t> frame) { Emit(std::move(frame)); }),
      assembler_(std::make_unique<EnvelopeAssembler>([this](std::span<const std::uint8_t> message) {
          Log("host>", message);
          processor_.ReceiveBytes(message);
      })),
      random_(seed) {}

SimulatedDevice::Session SimulatedDevice::Attach(std::uint16_t vendor_id, std::uint16_t product_id) {
    Session session = 0;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || vendor_id != vendor_id_ || product_id != product_id_) {
            return 0;
        }
        session = next_session_++;
        session_ = session;
        outbox_.clear();
        assembler_->Reset();
        processor_.Announce();
    }
    cv_.notify_all();
    return session;
}

void SimulatedDevice::Detach(Session session) {
    {
        std::lock_guard lock(mutex_);
        if (session == 0 || session != session_) {
            return;
        }
        session_ = 0;
        outbox_.clear();
    }
    cv_.notify_all();
}

bool SimulatedDevice::Active(Session session) const {
    std::lock_guard lock(mutex_);
    return plugged_ && session != 0 && session == session_;
}

HidResult SimulatedDevice::PutReport(Session session, std::span<const std::uint8_t> data) {
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || session == 0 || session != session_) {
            return HidResult::kDisconnected;
        }
        assembler_->PutReport(data);
    }
    cv_.notify_all();
    return HidResult::kOk;
}

HidResult SimulatedDevice::TakeReport(Session session, Report& report, std::uint32_t timeout_ms,
                                      const std::atomic<bool>* abort) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!plugged_ || session == 0 || session != session_) {
            return HidResult::kDisconnected;
        }
        if (abort != nullptr && abort->load()) {
            return HidResult::kAborted;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!outbox_.empty() && outbox_.front().due <= now) {
            report = outbox_.front().report;
            outbox_.pop_front();
            return HidResult::kOk;
        }
        if (now >= deadline) {
            return HidResult::kTimeout;
        }
        auto wake = deadline;
        if (!outbox_.empty() && outbox_.front().due < wake) {
            wake = outbox_.front().due;
        }
        cv_.wait_until(lock, wake);
    }
}

void SimulatedDevice::WakeAll() {
    // Taking the lock orders the caller's abort flag before a waiter's next test of it.
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

void SimulatedDevice::Unplug() {
    {
        std::lock_guard lock(mutex_);
        plugged_ = false;
        session_ = 0;
        outbox_.clear();
    }
    cv_.notify_all();
}

void SimulatedDevice::Replug() {
    std::lock_guard lock(mutex_);
    plugged_ = true;
}

bool SimulatedDevice::Plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

void SimulatedDevice::SetFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
    processor_.SetReportedId(faults.device_id);
    processor_.SetIgnoreDump(faults.ignore_dump);
    processor_.SetMuteWifi(faults.mute_wifi);
    processor_.SetIgnoreSaves(faults.ignore_saves);
}

std::size_t SimulatedDevice::QueuedReports() const {
    std::lock_guard lock(mutex_);
    return outbox_.size();
}

Faults SimulatedDevice::GetFaults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void SimulatedDevice::SetLog(LogLine log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void SimulatedDevice::Log(const char* direction, std::span<const std::uint8_t> bytes) {
    if (!log_) {
        return;
    }
    std::string line = direction;
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    log_(line);
}

bool SimulatedDevice::Chance(double share) {
    if (share <= 0.0) {
        return false;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < share;
}

void SimulatedDevice::Emit(std::vector<std::uint8_t> frame) {
    if (!plugged_ || session_ == 0 || faults_.silent) {
        return;
    }
    if (Chance(faults_.drop_share)) {
        Log("lost>", frame);
        return;
    }
    if (!frame.empty() && Chance(faults_.corrupt_share)) {
        const auto at = std::uniform_int_distribution<std::size_t>(0, frame.size() - 1)(random_);
        frame[at] ^= static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 255)(random_));
    }
    auto due = std::chrono::steady_clock::now();
    if (Chance(faults_.delay_share)) {
        due += std::chrono::milliseconds(faults_.delay_ms);
    }
    // Replies leave in order: one held back holds back those behind it.
    if (!outbox_.empty() && outbox_.back().due > due) {
        due = outbox_.back().due;
    }
    const auto reports = WrapInReports(frame);
    if (outbox_.size() + reports.size() > kMaxQueuedReports) {
        Log("full>", frame);
        return;
    }
    Log("dev> ", frame);
    for (const Report& r : reports) {
        outbox_.push_back({due, r});
    }
}

bool SimHidDevice::Open(std::uint16_t vendor_id, std::uint16_t product_id) {
    Close();
    abort_.store(false);
    const auto session = device_->Attach(vendor_id, product_id);
    session_.store(session);
    return session != 0;
}

HidResult SimHidDevice::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                   std::uint32_t timeout_ms) {
    received = 0;
    Report r{};
    const HidResult result = device_->TakeReport(session_.load(), r, timeout_ms, &abort_);
    if (result == HidResult::kOk) {
        std::copy(r.begin(), r.end(), report.begin());
        received = kReportSize;
    }
    return result;
}

HidResult SimHidDevice::WriteReport(std::span<const std::uint8_t, kReportSize> report, std::uint32_t) {
    if (abort_.load()) {
        return HidResult::kAborted;
    }
    return device_->PutReport(session_.load(), report);
}

void SimHidDevice::Abort() {
    abort_.store(true);
    device_->WakeAll();
}

void SimHidDevice::Close() {
    device_->Detach(session_.exchange(0));
}

}  // namespace vela::sim
