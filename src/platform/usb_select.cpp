#include <algorithm>
#include <cctype>

#include "platform/usb_hid.h"

namespace vela {

namespace {

bool SamePath(std::string_view a, std::string_view b) {
#ifdef _WIN32
    // Windows device paths are not case-sensitive, and the system hands them out in either case.
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
#else
    return a == b;
#endif
}

std::string Listing(const std::vector<UsbDeviceInfo>& present) {
    std::string text;
    for (const auto& d : present) {
        text += "\n  usb:" + DescribeUsbDevice(d);
    }
    return text;
}

}  // namespace

bool UsbDeviceMatches(const UsbDeviceInfo& device, std::string_view wanted) {
    return !wanted.empty() &&
           (SamePath(device.path, wanted) || (!device.port.empty() && device.port == wanted));
}

std::string DescribeUsbDevice(const UsbDeviceInfo& device) {
    std::string text = device.path;
    if (!device.port.empty()) {
        text += "  port " + device.port;
    }
    if (!device.serial.empty()) {
        text += "  serial " + device.serial;
    }
    return text;
}

UsbChoice ChooseUsbDevice(const std::vector<UsbDeviceInfo>& present, std::string_view wanted) {
    if (present.empty()) {
        return {std::nullopt, "no processor found on USB"};
    }
    if (wanted.empty()) {
        if (present.size() == 1) {
            return {present.front(), {}};
        }
        return {std::nullopt,
                std::to_string(present.size()) +
                    " processors found on USB; choose one with --device usb:PATH:" + Listing(present)};
    }
    const auto it = std::find_if(present.begin(), present.end(),
                                 [&](const auto& d) { return UsbDeviceMatches(d, wanted); });
    if (it == present.end()) {
        return {std::nullopt,
                "no processor at " + std::string(wanted) + " on USB; present:" + Listing(present)};
    }
    return {*it, {}};
}

}  // namespace vela
