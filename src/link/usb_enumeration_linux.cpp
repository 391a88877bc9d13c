// hidraw nodes carry their ids in sysfs: .../hidrawN/device/uevent holds HID_ID=BUS:VENDOR:PRODUCT and
// HID_UNIQ=serial.
#include <filesystem>
#include <fstream>

#include "link/usb_enumeration.h"

namespace vela {

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id) {
    std::vector<UsbDeviceInfo> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/hidraw", ec)) {
        std::ifstream uevent(entry.path() / "device" / "uevent");
        std::string line;
        UsbDeviceInfo info;
        bool ids = false;
        while (std::getline(uevent, line)) {
            if (line.rfind("HID_ID=", 0) == 0) {
                unsigned bus = 0, vendor = 0, product = 0;
                if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) == 3) {
                    info.vendor_id = static_cast<std::uint16_t>(vendor);
                    info.product_id = static_cast<std::uint16_t>(product);
                    ids = true;
                }
            } else if (line.rfind("HID_UNIQ=", 0) == 0) {
                info.serial = line.substr(9);
            }
        }
        if (ids && info.vendor_id == vendor_id && info.product_id == product_id) {
            info.path = "/dev/" + entry.path().filename().string();
            found.push_back(std::move(info));
        }
    }
    return found;
}

}  // namespace vela
