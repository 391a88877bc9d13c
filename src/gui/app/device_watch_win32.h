// What the main window shows of its device beyond the link state, looked at on a window timer (no thread
// of its own): a scene file's name, pending write and read-only state in the title, told once in a box
// when it cannot be written; a served processor's refusal, told once for each reason.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/ui/device_notices.h"
#include "devices/link_stack.h"

namespace vela {

class CDeviceWatch {
  public:
    static constexpr UINT_PTR kTimer = 0x5646;  // beside the screenshot run's
    static constexpr UINT kTickMs = 250;

    // `show_title` puts a title wherever the window shows one; called only when it changed.
    CDeviceWatch(LinkStack& stack, std::function<void(const std::wstring&)> show_title)
        : stack_(stack), show_title_(std::move(show_title)) {}
    CDeviceWatch(const CDeviceWatch&) = delete;
    CDeviceWatch& operator=(const CDeviceWatch&) = delete;
    ~CDeviceWatch() { Stop(); }

    // Starts the timer on `window` when the device has anything to watch (a file or a served processor).
    void Start(HWND window, bool watched);
    void Stop();
    // One look, on the timer; also right away after start so the title never shows the wrong name.
    void Tick();
    const std::wstring& Title() const { return shown_title_; }

  private:
    LinkStack& stack_;
    std::function<void(const std::wstring&)> show_title_;
    DeviceNotices notices_;
    HWND window_ = nullptr;
    std::wstring shown_title_;
    bool telling_ = false;  // a box is open: a tick inside its loop must not open another
};

}  // namespace vela
