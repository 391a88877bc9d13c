// The processor on this computer's USB HID interface (Windows: SetupAPI and HID file handles; Linux: hidraw),
// and the listing of the HID devices with given ids that the system sees, without opening a connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/link/hid_device.h"

namespace vela {

struct UsbDeviceInfo {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::string path;    // system path, UTF-8
    std::string serial;  // empty when the system gives none
};

std::unique_ptr<IHidDevice> MakeUsbHidDevice();

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id);

}  // namespace vela
