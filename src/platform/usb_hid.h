// The processor on this computer's USB HID interface (Windows: SetupAPI and HID file handles; Linux: hidraw),
// and the listing of the HID devices with given ids that the system sees, without opening a connection.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/hid_device.h"

namespace vela {

struct UsbDeviceInfo {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::string path;    // system path, UTF-8
    std::string serial;  // empty when the system gives none
    std::string port;    // the USB port path ("1-2.3"), empty where the system gives none
};

// path: one processor's system path or USB port path; empty: the first one present.
std::unique_ptr<IHidDevice> MakeUsbHidDevice(const std::string& path = {});

// Which of the present processors a --device usb[:PATH] means: with no path, the only one there (several
// are refused rather than guessed at); with a path, the one whose system path or port path it is.
struct UsbChoice {
    std::optional<UsbDeviceInfo> device;
    std::string error;  // set when device is empty; names what is present
};
UsbChoice ChooseUsbDevice(const std::vector<UsbDeviceInfo>& present, std::string_view wanted);
bool UsbDeviceMatches(const UsbDeviceInfo& device, std::string_view wanted);
// One line: the system path, then the port path and serial number where known.
std::string DescribeUsbDevice(const UsbDeviceInfo& device);

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id);

}  // namespace vela
