#include "platform/hid_win32.h"

#include <setupapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/text/utf8.h"
#include "platform/usb_hid.h"

extern "C" {
// MinGW's header lacks its own extern "C".
#include <hidsdi.h>
}

namespace vela {

namespace {

HANDLE NewEvent() {
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

// The device set of one enumeration, released however the search ends.
class DeviceInfoSet {
  public:
    explicit DeviceInfoSet(const GUID& guid)
        : set_(SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    ~DeviceInfoSet() {
        if (set_ != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(set_);
        }
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    HDEVINFO Get() const { return set_; }

  private:
    HDEVINFO set_;
};

// Visits the present HID interfaces with these ids, in system order, until `visit` returns true. It is
// given the path and a handle opened without access rights (enough for attributes and strings, even on
// devices the system holds open exclusively). Paths longer than 260 characters are skipped.
template <class Visit>
void VisitHidDevices(std::uint16_t vendor_id, std::uint16_t product_id, Visit visit) {
    GUID hid_guid;
    HidD_GetHidGuid(&hid_guid);
    DeviceInfoSet devices(hid_guid);
    if (devices.Get() == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::uint8_t> detail_buffer(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) +
                                            CHidIO::kMaxPath * sizeof(WCHAR));
    for (DWORD i = 0;; ++i) {
        SP_DEVICE_INTERFACE_DATA interface_data{};
        interface_data.cbSize = sizeof interface_data;
        if (!SetupDiEnumDeviceInterfaces(devices.Get(), nullptr, &hid_guid, i, &interface_data)) {
            break;  // ERROR_NO_MORE_ITEMS
        }
        std::fill(detail_buffer.begin(), detail_buffer.end(), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail_buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        DWORD required = 0;
        if (!SetupDiGetDeviceInterfaceDetailW(devices.Get(), &interface_data, detail,
                                              static_cast<DWORD>(detail_buffer.size()), &required, nullptr)) {
            continue;
        }
        KernelHandle probe(CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        if (!probe.Valid()) {
            continue;
        }
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!HidD_GetAttributes(probe.Get(), &attributes) || attributes.VendorID != vendor_id ||
            attributes.ProductID != product_id) {
            continue;
        }
        if (visit(detail->DevicePath, probe)) {
            return;
        }
    }
}

HidResult FromError(DWORD error) {
    switch (error) {
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_INVALID_HANDLE:
        case ERROR_FILE_NOT_FOUND:
            return HidResult::kDisconnected;
        case ERROR_OPERATION_ABORTED:
            return HidResult::kAborted;
        default:
            return HidResult::kIoError;
    }
}

}  // namespace

CHidIO::CHidIO() : read_event_(NewEvent()), write_event_(NewEvent()), abort_event_(NewEvent()) {
    read_overlapped_.hEvent = read_event_.Get();
    write_overlapped_.hEvent = write_event_.Get();
}

CHidIO::~CHidIO() {
    CloseDevice();
}

bool CHidIO::OpenDevice(std::uint16_t vendor_id, std::uint16_t product_id, const std::string& wanted) {
    CloseDevice();
    ResetEvent(abort_event_.Get());

    bool opened = false;
    VisitHidDevices(vendor_id, product_id, [&](const wchar_t* path, KernelHandle& probe) {
        if (!wanted.empty() &&
            !UsbDeviceMatches(UsbDeviceInfo{vendor_id, product_id, ToUtf8(path), {}, {}}, wanted)) {
            return false;
        }
        probe.Reset();
        // Overlapped handles: without them a read would block until a report came, past every timeout.
        read_handle_.Reset(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        write_handle_.Reset(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        opened = IsOpen();
        if (!opened) {
            read_handle_.Reset();
            write_handle_.Reset();
        } else {
            opened_path_ = ToUtf8(path);
        }
        return true;  // the first (or the named) matching device decides
    });
    return opened;
}

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id) {
    std::vector<UsbDeviceInfo> found;
    VisitHidDevices(vendor_id, product_id, [&](const wchar_t* path, KernelHandle& probe) {
        UsbDeviceInfo info{vendor_id, product_id, ToUtf8(path), {}, {}};
        wchar_t serial[128] = {};
        if (HidD_GetSerialNumberString(probe.Get(), serial, sizeof serial)) {
            info.serial = ToUtf8(serial);
        }
        found.push_back(std::move(info));
        return false;
    });
    return found;
}

void CHidIO::CancelAndWait(HANDLE handle, OVERLAPPED& overlapped) {
    CancelIoEx(handle, &overlapped);
    DWORD ignored = 0;
    // The buffer must outlive the request: wait until the driver has let go of it.
    GetOverlappedResult(handle, &overlapped, &ignored, TRUE);
}

HidResult CHidIO::Finish(HANDLE handle, OVERLAPPED& overlapped, HANDLE event, DWORD& bytes, DWORD timeout_ms,
                         bool cancel_on_timeout, bool& still_pending) {
    const HANDLE waits[2] = {abort_event_.Get(), event};
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, timeout_ms);
    if (r == WAIT_OBJECT_0 + 1) {
        still_pending = false;
        if (!GetOverlappedResult(handle, &overlapped, &bytes, FALSE)) {
            return FromError(GetLastError());
        }
        return HidResult::kOk;
    }
    if (r == WAIT_TIMEOUT && !cancel_on_timeout) {
        still_pending = true;
        return HidResult::kTimeout;
    }
    CancelAndWait(handle, overlapped);
    still_pending = false;
    if (r == WAIT_OBJECT_0) {
        return HidResult::kAborted;  // the abort event stays set until the next open
    }
    return r == WAIT_TIMEOUT ? HidResult::kTimeout : HidResult::kIoError;
}

HidResult CHidIO::ReadFile(void* buffer, DWORD length, DWORD& bytes_read, DWORD timeout_ms) {
    bytes_read = 0;
    if (!read_handle_.Valid()) {
        return HidResult::kDisconnected;
    }
    if (!read_pending_) {
        ResetEvent(read_event_.Get());
        if (::ReadFile(read_handle_.Get(), buffer, length, nullptr, &read_overlapped_)) {
            return GetOverlappedResult(read_handle_.Get(), &read_overlapped_, &bytes_read, FALSE)
                       ? HidResult::kOk
                       : FromError(GetLastError());
        }
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            return FromError(error);
        }
        read_pending_ = true;
    }
    return Finish(read_handle_.Get(), read_overlapped_, read_event_.Get(), bytes_read, timeout_ms, false,
                  read_pending_);
}

HidResult CHidIO::WriteFile(const void* buffer, DWORD length, DWORD& bytes_written, DWORD timeout_ms) {
    bytes_written = 0;
    if (!write_handle_.Valid()) {
        return HidResult::kDisconnected;
    }
    ResetEvent(write_event_.Get());
    if (::WriteFile(write_handle_.Get(), buffer, length, nullptr, &write_overlapped_)) {
        return GetOverlappedResult(write_handle_.Get(), &write_overlapped_, &bytes_written, FALSE)
                   ? HidResult::kOk
                   : FromError(GetLastError());
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
        return FromError(error);
    }
    bool pending = false;
    return Finish(write_handle_.Get(), write_overlapped_, write_event_.Get(), bytes_written, timeout_ms, true,
                  pending);
}

void CHidIO::Abort() {
    SetEvent(abort_event_.Get());
}

void CHidIO::CloseDevice() {
    if (read_handle_.Valid() && read_pending_) {
        CancelAndWait(read_handle_.Get(), read_overlapped_);
    }
    read_pending_ = false;
    read_handle_.Reset();
    write_handle_.Reset();
}

CHidCmd::~CHidCmd() {
    io_.CloseDevice();
}

bool CHidCmd::Open(std::uint16_t vendor_id, std::uint16_t product_id) {
    if (!io_.OpenDevice(vendor_id, product_id, wanted_)) {
        return false;
    }
    location_.Set(io_.OpenedPath());
    return true;
}

HidResult CHidCmd::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                              std::uint32_t timeout_ms) {
    received = 0;
    DWORD bytes = 0;
    const HidResult r = io_.ReadFile(input_.data(), static_cast<DWORD>(input_.size()), bytes, timeout_ms);
    if (r != HidResult::kOk) {
        return r;
    }
    // The first byte is the report id.
    if (bytes > 1) {
        received = std::min<std::size_t>(bytes - 1, kReportSize);
        std::copy_n(input_.begin() + 1, received, report.begin());
    }
    return HidResult::kOk;
}

HidResult CHidCmd::WriteReport(std::span<const std::uint8_t, kReportSize> report, std::uint32_t timeout_ms) {
    output_.fill(0);  // report id 0
    std::copy(report.begin(), report.end(), output_.begin() + 1);
    DWORD written = 0;
    const HidResult r =
        io_.WriteFile(output_.data(), static_cast<DWORD>(output_.size()), written, timeout_ms);
    if (r == HidResult::kOk && written != output_.size()) {
        return HidResult::kIoError;
    }
    return r;
}

std::unique_ptr<IHidDevice> MakeUsbHidDevice(const std::string& path) {
    return std::make_unique<CHidCmd>(path);
}

}  // namespace vela
