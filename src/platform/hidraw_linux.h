// The processor through Linux hidraw: found by its ids in sysfs, read with poll() so that a timeout or
// an abort never leaves a read hanging. Needs read and write access to /dev/hidrawN (see the udev rule).
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "core/link/hid_device.h"
#include "platform/usb_hid.h"

namespace vela {

// The hidraw node of the first present device with these ids (or of the one `wanted` names by node or
// port path), looked up under `sysfs_class` (normally /sys/class/hidraw); the node is `dev_dir`/hidrawN.
std::optional<std::string> FindHidrawNode(std::uint16_t vendor_id, std::uint16_t product_id,
                                          const std::string& sysfs_class = "/sys/class/hidraw",
                                          const std::string& dev_dir = "/dev",
                                          const std::string& wanted = {});

// Every present device with these ids, in the order they appeared; path is the hidraw node.
std::vector<UsbDeviceInfo> ListHidrawNodes(std::uint16_t vendor_id, std::uint16_t product_id,
                                           const std::string& sysfs_class = "/sys/class/hidraw",
                                           const std::string& dev_dir = "/dev");

class HidrawDevice final : public IHidDevice {
  public:
    // wanted: the one processor to open, by node or port path; empty: the first one present.
    HidrawDevice(std::string sysfs_class = "/sys/class/hidraw", std::string dev_dir = "/dev",
                 std::string wanted = {});
    ~HidrawDevice() override;
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) override;
    void Abort() override;
    void Close() override;
    std::string Location() const override { return location_.Get(); }

  private:
    std::string sysfs_class_;
    std::string dev_dir_;
    std::string wanted_;
    std::atomic<int> fd_{-1};
    int abort_fd_ = -1;  // an eventfd: readable once Abort() was called
    OpenedLocation location_;
};

}  // namespace vela
