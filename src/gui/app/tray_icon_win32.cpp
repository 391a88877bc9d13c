#include "gui/app/tray_icon_win32.h"

#include <shellapi.h>

#include "gui/win/window_messages_win32.h"

namespace vela {
namespace {

constexpr UINT kTrayIconId = 128;

}  // namespace

void CTrayIcon::Add(HWND owner, HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = UM_TRAY_NOTIFY;
    data.hIcon = icon;
    owner_ = owner;
    shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE || shown_;
}

void CTrayIcon::Remove() {
    if (!shown_ || owner_ == nullptr) {
        return;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    shown_ = false;
}

}  // namespace vela
