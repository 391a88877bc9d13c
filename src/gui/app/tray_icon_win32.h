// The notification-area icon that stands for the window while it is hidden to the tray.
#pragma once

#include <windows.h>

namespace vela {

class CTrayIcon {
  public:
    CTrayIcon() = default;
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    ~CTrayIcon() { Remove(); }

    // Adds the icon for `owner`, whose clicks arrive as UM_TRAY_NOTIFY. Shown stays true if it already was.
    void Add(HWND owner, HICON icon);
    void Remove();
    bool Shown() const { return shown_; }

  private:
    HWND owner_ = nullptr;
    bool shown_ = false;
};

}  // namespace vela
