// The HID device seam: one device that exchanges 64-byte reports (the data bytes, without a report id).
// Implementations: the OS HID interfaces, the report stream over TCP and the in-process virtual processor.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "core/protocol/report.h"

namespace vela {

enum class HidResult {
    kOk,
    kTimeout,       // nothing happened within the limit; the device is still there
    kIoError,       // the request failed, the device may still be there
    kDisconnected,  // the device is gone (unplugged, connection closed) or was never opened
    kAborted,       // Abort() ended the request
};

// One report's data bytes, to fill and to send.
using ReportBuffer = std::span<std::uint8_t, kReportSize>;
using ReportBytes = std::span<const std::uint8_t, kReportSize>;

// Thread contract: one thread reads while another writes; Abort() may be called from any thread and
// ends pending and later requests until the next Open(). Open() and Close() are never called while a
// read is pending on another thread.
class IHidDevice {
  public:
    virtual ~IHidDevice() = default;

    // Looks for a present device with these ids and opens it. False when none was found.
    [[nodiscard]] virtual bool Open(std::uint16_t vendor_id, std::uint16_t product_id) = 0;
    // Reads one report; on kOk `received` is the number of data bytes stored into `report`.
    [[nodiscard]] virtual HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                               std::uint32_t timeout_ms) = 0;
    [[nodiscard]] virtual HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) = 0;
    virtual void Abort() = 0;
    virtual void Close() = 0;
    // Where the processor last opened sits, to tell two with the same device id apart: a USB processor's
    // port path (its system path where no port is known); empty for devices named by how they were asked
    // for (virtual, TCP, file). Any thread.
    virtual std::string Location() const { return {}; }
};

// The location a device opened on one thread, for readers on others.
class OpenedLocation {
  public:
    void Set(std::string location) {
        std::lock_guard lock(mutex_);
        location_ = std::move(location);
    }
    std::string Get() const {
        std::lock_guard lock(mutex_);
        return location_;
    }

  private:
    mutable std::mutex mutex_;
    std::string location_;
};

}  // namespace vela
