#include <windows.h>
// MinGW's HID headers lack C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <memory>

#include "link/usb_enumeration.h"

namespace vela {

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

struct DeviceInfoSet {
    HDEVINFO handle;
    ~DeviceInfoSet() {
        if (handle != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(handle);
    }
};

struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

}  // namespace

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id) {
    std::vector<UsbDeviceInfo> found;
    GUID hid_guid;
    HidD_GetHidGuid(&hid_guid);
    DeviceInfoSet set{
        SetupDiGetClassDevsW(&hid_guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)};
    if (set.handle == INVALID_HANDLE_VALUE) {
        return found;
    }
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set.handle, nullptr, &hid_guid, i, &iface); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set.handle, &iface, nullptr, 0, &size, nullptr);
        if (size == 0) {
            continue;
        }
        auto buffer = std::make_unique<std::uint8_t[]>(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set.handle, &iface, detail, size, nullptr, nullptr)) {
            continue;
        }
        Handle device{CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr)};
        if (device.h == INVALID_HANDLE_VALUE) {
            continue;
        }
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!HidD_GetAttributes(device.h, &attributes) || attributes.VendorID != vendor_id ||
            attributes.ProductID != product_id) {
            continue;
        }
        UsbDeviceInfo info;
        info.vendor_id = attributes.VendorID;
        info.product_id = attributes.ProductID;
        info.path = Utf8(detail->DevicePath);
        wchar_t serial[128] = {};
        if (HidD_GetSerialNumberString(device.h, serial, sizeof serial)) {
            info.serial = Utf8(serial);
        }
        found.push_back(std::move(info));
    }
    return found;
}

}  // namespace vela
