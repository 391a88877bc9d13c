#include "core/link/hid_transport.h"

#include <memory>

namespace vela {

HidTransport::HidTransport(DeviceLink& link, IHidDevice& device, std::uint16_t vendor_id,
                           std::uint16_t product_id)
    : link_(link), device_(device), vendor_id_(vendor_id), product_id_(product_id) {
    link_.SetSender(this);
}

HidTransport::~HidTransport() {
    Close();
    link_.SetSender(nullptr);
}

bool HidTransport::SendFrameBytes(std::span<const std::uint8_t> frame) {
    const auto reports = WrapInReports(frame);
    if (reports.empty()) {
        return false;
    }
    std::lock_guard lock(device_mutex_);
    for (const Report& r : reports) {
        if (device_.WriteReport(r, kWriteTimeoutMs) != HidResult::kOk) {
            return false;
        }
    }
    return true;
}

bool HidTransport::OpenDevice() {
    if (link_.State().reader_running.load()) {
        // Reopening under a running reader would pull the handle from under its pending read.
        return true;
    }
    JoinReader();
    std::lock_guard lock(device_mutex_);
    device_.Close();
    open_attempts_.fetch_add(1);
    return device_.Open(vendor_id_, product_id_);
}

void HidTransport::StartReader() {
    std::lock_guard lock(reader_mutex_);
    if (link_.State().reader_running.load()) {
        return;
    }
    if (reader_.joinable()) {
        reader_.join();  // the previous reader has already ended
    }
    stop_reader_.store(false);
    // Set here rather than by the thread, so that the WaitReply that follows already waits.
    link_.State().reader_running.store(true);
    reader_ = std::thread([this] { ReaderLoop(); });
}

void HidTransport::JoinReader() {
    std::lock_guard lock(reader_mutex_);
    if (reader_.joinable()) {
        reader_.join();
    }
}

void HidTransport::ReaderLoop() {
    auto& state = link_.State();
    auto assembler = std::make_unique<EnvelopeAssembler>([this](std::span<const std::uint8_t> message) {
        link_.ReceiveBytes(message.data(), message.size());
    });
    Report report{};
    while (state.running.load() && state.reader_running.load() && !stop_reader_.load()) {
        std::size_t received = 0;
        const HidResult r = device_.ReadReport(report, received, kReadTimeoutMs);
        if (r == HidResult::kTimeout) {
            continue;  // a quiet device is still plugged in
        }
        if (r != HidResult::kOk) {
            break;
        }
        assembler->PutReport(std::span<const std::uint8_t>(report.data(), received));
    }
    state.link_up.store(false);
    state.reader_running.store(false);
}

void HidTransport::Close() {
    stop_reader_.store(true);
    device_.Abort();
    JoinReader();
    std::lock_guard lock(device_mutex_);
    device_.Close();
}

bool HidTransport::Connect(ILinkHost& host) {
    auto& state = link_.State();
    auto& clock = link_.Clock();
    auto& identity = link_.Table()[param::kIdentity];
    bool announce = true;
    for (;;) {
        if (announce && state.running.load()) {
            host.SendNotify(LinkNotify::kLinkState, static_cast<std::intptr_t>(LinkStateCode::kNotConnected));
        }
        announce = true;
        clock.SleepMs(kRetrySleepMs);
        state.link_up.store(false);
        for (;;) {
            if (state.link_up.load() || !state.running.load()) {
                return state.link_up.load() && state.running.load();
            }
            if (!OpenDevice()) {
                clock.SleepMs(kRetrySleepMs);
                continue;
            }
            StartReader();
            // Every attempt is a fresh connection: a supervision tripped by an earlier silence (a device
            // still starting) or a reconnect asked for while searching must not hold this read back.
            link_.ResetSupervision();
            // A mark left from an earlier connection would pass the test without the device answering.
            identity.received.store(0);
            // Nor may a release left over from an earlier exchange end this wait before the reply.
            state.reply.Reset();
            state.waiting.store(true);
            link_.ReadOne(param::kIdentity);
            (void)link_.WaitReply(kConnectReplyWaitMs);
            state.waiting.store(false);
            if (identity.received.load() > 0) {
                // The read's send has set the link-up flag, so the next test returns.
                clock.SleepMs(kRetrySleepMs);
                continue;
            }
            break;
        }
        if (state.running.load()) {
            host.SendNotify(LinkNotify::kLinkState, static_cast<std::intptr_t>(LinkStateCode::kNotConnected));
            announce = false;  // told once per failed attempt
        }
    }
}

}  // namespace vela
