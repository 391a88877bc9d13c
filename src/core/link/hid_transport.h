// The device link over a HID device: sends frames inside the envelope, runs the reader thread that
// reassembles envelopes into frames for the receiver, and the connect routine of the link worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/link/device_link.h"
#include "core/link/hid_device.h"
#include "core/link/seams.h"
#include "core/protocol/envelope.h"

namespace vela {

class HidTransport final : public IFrameSender {
  public:
    static constexpr std::uint32_t kWriteTimeoutMs = 100;
    static constexpr std::uint32_t kReadTimeoutMs = 500;
    static constexpr std::uint32_t kConnectReplyWaitMs = 500;
    static constexpr std::uint32_t kRetrySleepMs = 100;

    // Registers itself as the link's sender; the link and the device outlive the transport.
    HidTransport(DeviceLink& link, IHidDevice& device, std::uint16_t vendor_id = kVendorId,
                 std::uint16_t product_id = kProductId);
    ~HidTransport() override;
    HidTransport(const HidTransport&) = delete;
    HidTransport& operator=(const HidTransport&) = delete;

    // Link worker: wraps the frame and writes its reports, 100 ms each. True when all were written.
    [[nodiscard]] bool SendFrameBytes(std::span<const std::uint8_t> frame) override;

    // Link worker: returns true once the device is open, its reader runs and parameter 0 was read back
    // (the link-up flag is then set), false when the running flag was cleared.
    bool Connect(ILinkHost& host);

    // The connected test of WaitReply.
    bool ReaderRunning() const { return link_.State().reader_running.load(); }

    // Ends the reader thread and closes the device; safe from any thread, also while the worker sends.
    void Close();

    std::uint64_t OpenAttempts() const { return open_attempts_.load(); }

  private:
    // Opens the device unless the reader still runs on the one already open.
    bool OpenDevice();
    void StartReader();
    void JoinReader();
    void ReaderLoop();

    DeviceLink& link_;
    IHidDevice& device_;
    std::uint16_t vendor_id_;
    std::uint16_t product_id_;

    // Serialises writes against opening and closing; reads run without it on the reader thread.
    std::mutex device_mutex_;
    std::mutex reader_mutex_;  // guards reader_ (started by the worker, joined by Close)
    std::thread reader_;
    std::atomic<bool> stop_reader_{false};
    std::atomic<std::uint64_t> open_attempts_{0};
};

}  // namespace vela
