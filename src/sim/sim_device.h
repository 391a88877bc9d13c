// The virtual processor behind a USB plug: envelopes in and out, one host session at a time, unplug
// and replug, and the faults that tests and demonstrations inject. Thread-safe.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>

#include "core/link/hid_device.h"
#include "core/protocol/envelope.h"
#include "sim/virtual_processor.h"

namespace vela::sim {

struct Faults {
    bool silent = false;                  // answers nothing at all
    std::uint16_t device_id = kDeviceId;  // another id makes it a wrong device
    bool ignore_dump = false;
    bool mute_wifi = false;     // the Wi-Fi module answers no command
    bool ignore_saves = false;  // save scene and save settings are ignored
    double drop_share = 0.0;    // share of reply frames that are lost
    double delay_share = 0.0;   // share of reply frames held back by delay_ms
    std::uint32_t delay_ms = 0;
    double corrupt_share = 0.0;  // share of reply frames with one byte changed
};

class SimulatedDevice {
  public:
    using Session = std::uint64_t;  // 0: none
    using LogLine = std::function<void(const std::string& line)>;

    explicit SimulatedDevice(std::uint16_t vendor_id = kVendorId, std::uint16_t product_id = kProductId,
                             std::uint32_t seed = 1);

    std::uint16_t VendorId() const { return vendor_id_; }
    std::uint16_t ProductId() const { return product_id_; }

    // A host opens the device: a new session when it is plugged in and the ids match; 0 otherwise.
    // An earlier session ends. The device announces itself to the new one.
    Session Attach(std::uint16_t vendor_id, std::uint16_t product_id);
    void Detach(Session session);
    bool Active(Session session) const;

    // One report from the host (its data bytes).
    HidResult PutReport(Session session, std::span<const std::uint8_t> data);
    // The next reply report that is due; kTimeout when none arrives in time, kAborted when `abort` is set
    // (call WakeAll after setting it), kDisconnected once the session ended.
    HidResult TakeReport(Session session, Report& report, std::uint32_t timeout_ms,
                         const std::atomic<bool>* abort);
    void WakeAll();

    void Unplug();
    void Replug();
    bool Plugged() const;

    // Reports waiting to go to the host.
    std::size_t QueuedReports() const;
    // Beyond this many waiting reports the device drops replies, as a real one does when the host stops
    // reading: a host that floods requests without reading cannot make it grow without bound.
    static constexpr std::size_t kMaxQueuedReports = 2048;

    void SetFaults(const Faults& faults);
    Faults GetFaults() const;
    void SetLog(LogLine log);

    // Runs `fn` on the processor under the device's lock (inspection, occupancy, module notices).
    template <class Fn>
    auto WithProcessor(Fn&& fn) {
        std::unique_lock lock(mutex_);
        struct Notify {
            std::condition_variable& cv;
            ~Notify() { cv.notify_all(); }
        } notify{cv_};
        return fn(processor_);
    }
    std::uint16_t Value(std::size_t index) {
        return WithProcessor([&](VirtualProcessor& p) { return p.Value(index); });
    }
    void SetOccupied(bool occupied) {
        WithProcessor([&](VirtualProcessor& p) { p.SetOccupied(occupied); });
    }

  private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        Report report;
    };

    void Emit(std::vector<std::uint8_t> frame);  // mutex held
    bool Chance(double share);                   // mutex held
    void Log(const char* direction, std::span<const std::uint8_t> bytes);

    const std::uint16_t vendor_id_;
    const std::uint16_t product_id_;

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    VirtualProcessor processor_;
    std::unique_ptr<EnvelopeAssembler> assembler_;
    std::deque<Pending> outbox_;
    Session session_ = 0;
    Session next_session_ = 1;
    bool plugged_ = true;
    Faults faults_;
    std::mt19937 random_;
    LogLine log_;
};

// The in-process device: the virtual processor reached through the HID seam, with no sockets.
class SimHidDevice final : public IHidDevice {
  public:
    explicit SimHidDevice(std::shared_ptr<SimulatedDevice> device) : device_(std::move(device)) {}
    ~SimHidDevice() override { Close(); }

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) override;
    void Abort() override;
    void Close() override;

    SimulatedDevice& Device() { return *device_; }

  private:
    std::shared_ptr<SimulatedDevice> device_;
    std::atomic<SimulatedDevice::Session> session_{0};
    std::atomic<bool> abort_{false};
};

}  // namespace vela::sim
