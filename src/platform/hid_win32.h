// The processor through the Windows HID class driver: SetupAPI enumeration, HidD_GetAttributes, and
// overlapped reads and writes that a timeout or the abort event can end.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "core/link/hid_device.h"
#include "platform/handle_win32.h"

namespace vela {

// The device handles and the read, write and abort events (manual reset, created not signalled).
class CHidIO {
  public:
    static constexpr std::size_t kMaxPath = 260;

    CHidIO();
    virtual ~CHidIO();
    CHidIO(const CHidIO&) = delete;
    CHidIO& operator=(const CHidIO&) = delete;

    bool OpenDevice(std::uint16_t vendor_id, std::uint16_t product_id, const std::string& wanted = {});
    // One report of up to `length` bytes. A read still pending at a timeout stays pending and is
    // completed by the next call, so no report is lost between calls.
    HidResult ReadFile(void* buffer, DWORD length, DWORD& bytes_read, DWORD timeout_ms);
    HidResult WriteFile(const void* buffer, DWORD length, DWORD& bytes_written, DWORD timeout_ms);
    void Abort();
    void CloseDevice();
    bool IsOpen() const { return read_handle_.Valid() && write_handle_.Valid(); }
    // The system path of the device the last OpenDevice opened (UTF-8).
    const std::string& OpenedPath() const { return opened_path_; }

  private:
    // Waits for the request of `overlapped` on `handle`; cancels it on a timeout when `cancel_on_timeout`.
    HidResult Finish(HANDLE handle, OVERLAPPED& overlapped, HANDLE event, DWORD& bytes, DWORD timeout_ms,
                     bool cancel_on_timeout, bool& still_pending);
    static void CancelAndWait(HANDLE handle, OVERLAPPED& overlapped);

    KernelHandle read_handle_;
    KernelHandle write_handle_;
    KernelHandle read_event_;
    KernelHandle write_event_;
    KernelHandle abort_event_;
    OVERLAPPED read_overlapped_{};
    OVERLAPPED write_overlapped_{};
    bool read_pending_ = false;  // reader thread only
    std::string opened_path_;
};

// 65-byte reports: report id 0, then the 64 data bytes. The program holds one.
class CHidCmd final : public IHidDevice {
  public:
    static constexpr std::size_t kReportLength = kReportSize + 1;

    // wanted: the one processor to open, by its device path; empty: the first one present.
    explicit CHidCmd(std::string wanted = {}) : wanted_(std::move(wanted)) {}
    ~CHidCmd() override;

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(ReportBuffer report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(ReportBytes report, std::uint32_t timeout_ms) override;
    void Abort() override { io_.Abort(); }
    void Close() override { io_.CloseDevice(); }
    std::string Location() const override { return location_.Get(); }

  private:
    std::string wanted_;
    CHidIO io_;
    // The input report buffer stays put while a read is pending on it.
    std::array<std::uint8_t, kReportLength> input_{};
    std::array<std::uint8_t, kReportLength> output_{};
    OpenedLocation location_;
};

}  // namespace vela
