#include "gui/pages/wifi_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "core/link/seams.h"
#include "core/pages/wifi_dialog_rules.h"
#include "core/text/strings.h"
#include "gui/win/message_box_win32.h"
#include "res/resource.h"

namespace vela {

namespace {

// Module replies are bytes in the system's code page, as the device's names are.
std::wstring Widen(const std::string& bytes) {
    return SystemCodePage().ToWide(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// Which edit shows the reply of each text query slot.
int EditForSlot(int slot) {
    switch (slot) {
        case wifi::kRouteSsid:
            return CWin_Wifi::kRouteSsid;
        case wifi::kRoutePassword:
            return CWin_Wifi::kRoutePassword;
        case wifi::kHotSsid:
            return CWin_Wifi::kHotSsid;
        case wifi::kHotPassword:
            return CWin_Wifi::kHotPassword;
        default:
            return 0;
    }
}

struct Caption {
    int id;
    const LocalizedString& text;
};
const Caption kCaptions[] = {
    {CWin_Wifi::kIpLabel, extra::kWifiCurrentIp},
    {CWin_Wifi::kHotSsidLabel, extra::kWifiHotspotName},
    {CWin_Wifi::kHotPasswordLabel, extra::kWifiHotspotPassword},
    {CWin_Wifi::kRouteSsidLabel, extra::kWifiRouterName},
    {CWin_Wifi::kRoutePasswordLabel, extra::kWifiRouterPassword},
    {CWin_Wifi::kHotspotMode, extra::kWifiHotspotMode},
    {CWin_Wifi::kRouteMode, extra::kWifiRouterMode},
    {CWin_Wifi::kReadData, extra::kWifiReadData},
    {CWin_Wifi::kSetHotspot, extra::kWifiSetHotspot},
    {CWin_Wifi::kSetRoute, extra::kWifiSetRouter},
    {IDOK, extra::kWifiOk},
};

}  // namespace

const MessageRow<CWin_Wifi> CWin_Wifi::kMessageMap[] = {
    {WM_COMMAND, 0, &CWin_Wifi::OnCommand},
    {WM_TIMER, 0, &CWin_Wifi::OnTimer},
    {WM_SHOWWINDOW, 0, &CWin_Wifi::OnShowWindow},
};

CWin_Wifi::CWin_Wifi(WifiSlots& slots, const CZB_FileData& settings)
    : CDialogWindow(IDD_WIFI), slots_(slots), settings_(settings) {}

LRESULT CWin_Wifi::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto handled = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *handled;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

BOOL CWin_Wifi::OnInitDialog() {
    ApplyLanguage();
    // The link always runs over USB HID; the stored choice is read by nothing.
    CheckRadio(kUseUsb, kUseWifi, kUseUsb);
    SetDlgItemTextW(hwnd_, kShowPasswords, std::wstring(Text(extra::kShowPasswords)).c_str());
    if (const auto mask =
            static_cast<wchar_t>(SendDlgItemMessageW(hwnd_, kHotPassword, EM_GETPASSWORDCHAR, 0, 0)))
        mask_ = mask;
    ReadAll();
    return TRUE;
}

LRESULT CWin_Wifi::OnShowWindow(WPARAM wparam, LPARAM) {
    const WPARAM shown = wparam;
    if (shown) {
        ReadAll();
        ShowReplies();
        SetTimer(hwnd_, kReplyTimer, kReplyTimerMs, nullptr);
    } else {
        KillTimer(hwnd_, kReplyTimer);
    }
    return 0;
}

LRESULT CWin_Wifi::OnTimer(WPARAM wparam, LPARAM) {
    if (wparam == kReplyTimer)
        ShowReplies();
    return 0;
}

LRESULT CWin_Wifi::OnCommand(WPARAM wparam, LPARAM) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (code != BN_CLICKED)
        return 0;
    switch (id) {
        case IDOK:
        case IDCANCEL:
            KillTimer(hwnd_, kReplyTimer);
            EndDialog(id);
            break;
        case kReadData:
            CheckRadio(kHotspotMode, kRouteMode, 0);
            for (const int edit : {kHotSsid, kHotPassword, kRouteSsid, kRoutePassword})
                SetDlgItemTextW(hwnd_, edit, L"");
            ReadAll();
            break;
        case kHotspotMode:
            SetMode(false);
            break;
        case kRouteMode:
            SetMode(true);
            break;
        case kSetHotspot:
            SetPair(true);
            break;
        case kSetRoute:
            SetPair(false);
            break;
        case kUseUsb:
            SetConnectionKind(1);
            break;
        case kUseWifi:
            SetConnectionKind(2);
            break;
        case kShowPasswords:
            ShowPasswords(IsDlgButtonChecked(hwnd_, kShowPasswords) == BST_CHECKED);
            break;
        default:
            break;
    }
    return 0;
}

void CWin_Wifi::ApplyLanguage() {
    SetWindowTextW(hwnd_, std::wstring(Text(extra::kWifiTitle)).c_str());
    for (const Caption& c : kCaptions)
        SetDlgItemTextW(hwnd_, c.id, std::wstring(Text(c.text)).c_str());
}

void CWin_Wifi::ReadAll() {
    for (const wifi_dialog::SlotCommand& command : wifi_dialog::ReadAllCommands()) {
        slots_.SetText(command.slot, command.text);
        if (command.pending)
            slots_.SetPending(command.slot);
    }
}

void CWin_Wifi::ShowReplies() {
    if (!hwnd_)
        return;
    for (int slot = 0; slot <= wifi::kHotPassword; ++slot) {
        if (slots_[slot].answered.load() == 0)
            continue;
        if (slot == wifi::kIp) {
            SendDlgItemMessageW(hwnd_, kIpAddress, IPM_SETADDRESS, 0,
                                static_cast<LPARAM>(slots_[slot].value.load()));
        } else if (slot == wifi::kMode) {
            const bool route = wifi_dialog::IsRouteMode(slots_[slot].value.load());
            CheckRadio(kHotspotMode, kRouteMode, route ? kRouteMode : kHotspotMode);
        } else if (const int edit = EditForSlot(slot); edit != 0) {
            if (const auto text = wifi_dialog::ReplyText(slot, slots_.Text(slot)))
                SetDlgItemTextW(hwnd_, edit, Widen(*text).c_str());
        }
        // Cleared only after the reply was copied, so a reply arriving now is kept for the next tick.
        slots_[slot].answered.store(0);
    }
}

void CWin_Wifi::SetMode(bool route) {
    if (route) {
        if (Tell(Text(str::kRouteReconnect), MB_YESNO) != IDYES)
            return;
    }
    const wifi_dialog::SlotCommand command = wifi_dialog::ModeCommand(route);
    slots_.SetText(command.slot, command.text);
    slots_.SetPending(command.slot);
    CheckRadio(kHotspotMode, kRouteMode, route ? kRouteMode : kHotspotMode);
}

void CWin_Wifi::SetPair(bool hotspot) {
    const std::wstring ssid = ItemText(hotspot ? kHotSsid : kRouteSsid);
    const std::wstring password = ItemText(hotspot ? kHotPassword : kRoutePassword);
    const wifi_dialog::SettingCommands pair =
        hotspot ? wifi_dialog::HotspotCommands(ssid, password) : wifi_dialog::RouteCommands(ssid, password);
    if (pair.refusal != wifi_dialog::Refusal::kNone) {
        Tell(wifi_dialog::RefusalText(pair.refusal));
        return;
    }
    for (const wifi_dialog::SlotCommand& command : pair.commands) {
        slots_.SetText(command.slot, command.text);
        slots_.SetPending(command.slot);
    }
}

void CWin_Wifi::SetConnectionKind(int kind) {
    CheckRadio(kUseUsb, kUseWifi, kind == 2 ? kUseWifi : kUseUsb);
    // The setting is read by nothing yet, but success is only claimed when it was stored.
    if (settings_.WriteInt(kWifiModeFile, kWifiModeKey, kind).Ok())
        Tell(Text(str::kModifySuccess));
    else
        Tell(Text(str::kSaveFailed));
}

void CWin_Wifi::ShowPasswords(bool shown) {
    for (const int id : {kHotPassword, kRoutePassword}) {
        SendDlgItemMessageW(hwnd_, id, EM_SETPASSWORDCHAR, shown ? 0 : mask_, 0);
        InvalidateRect(GetDlgItem(hwnd_, id), nullptr, TRUE);
    }
}

void CWin_Wifi::CheckRadio(int first, int last, int checked) {
    for (int id = first; id <= last; ++id)
        CheckDlgButton(hwnd_, id, id == checked ? BST_CHECKED : BST_UNCHECKED);
}

std::wstring CWin_Wifi::ItemText(int id) const {
    HWND item = GetDlgItem(hwnd_, id);
    const int length = item ? GetWindowTextLengthW(item) : 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = item ? GetWindowTextW(item, text.data(), length + 1) : 0;
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

int CWin_Wifi::Tell(std::wstring_view text, UINT type) {
    // Titled with the program's caption, the main window's title, like the program's other boxes.
    std::wstring caption;
    if (HWND main = GetWindow(hwnd_, GW_OWNER)) {
        caption.resize(static_cast<std::size_t>(GetWindowTextLengthW(main)) + 1);
        caption.resize(static_cast<std::size_t>(
            std::max(GetWindowTextW(main, caption.data(), static_cast<int>(caption.size())), 0)));
    }
    return LocalizedMessageBoxTitled(hwnd_, text, caption, type, LanguageIndex());
}

}  // namespace vela
