// Lists the HID devices with given ids that the system sees, without opening a connection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

struct UsbDeviceInfo {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::string path;    // system path, UTF-8
    std::string serial;  // empty when the system gives none
};

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id);

}  // namespace vela
