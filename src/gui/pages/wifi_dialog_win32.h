// CWin_Wifi: the Wi-Fi module's settings. Everything goes through the Wi-Fi command slots, so the dialog
// never waits for the module; a timer shows the replies as they arrive.
#pragma once

#include <windows.h>

#include "core/files/file_data.h"
#include "core/link/wifi_slots.h"
#include "gui/win/window_win32.h"
#include "res/resource.h"

namespace vela {

class CWin_Wifi : public CDialogWindow {
  public:
    static constexpr int kIpAddress = IDC_WIFI_IP;
    static constexpr int kHotSsid = IDC_WIFI_HOT_SSID;
    static constexpr int kHotPassword = IDC_WIFI_HOT_PASSWORD;
    static constexpr int kRouteSsid = IDC_WIFI_ROUTE_SSID;
    static constexpr int kRoutePassword = IDC_WIFI_ROUTE_PASSWORD;
    static constexpr int kHotspotMode = IDC_WIFI_HOTSPOT_MODE;
    static constexpr int kRouteMode = IDC_WIFI_ROUTE_MODE;
    static constexpr int kUseUsb = IDC_WIFI_USE_USB;
    static constexpr int kUseWifi = IDC_WIFI_USE_WIFI;
    static constexpr int kReadData = IDC_WIFI_READ_DATA;
    static constexpr int kSetHotspot = IDC_WIFI_SET_HOTSPOT;
    static constexpr int kSetRoute = IDC_WIFI_SET_ROUTE;
    static constexpr int kShowPasswords = IDC_WIFI_SHOW_PASSWORDS;
    // The field names beside the address and the four boxes.
    static constexpr int kIpLabel = IDC_WIFI_IP_LABEL;
    static constexpr int kHotSsidLabel = IDC_WIFI_HOT_SSID_LABEL;
    static constexpr int kHotPasswordLabel = IDC_WIFI_HOT_PASSWORD_LABEL;
    static constexpr int kRouteSsidLabel = IDC_WIFI_ROUTE_SSID_LABEL;
    static constexpr int kRoutePasswordLabel = IDC_WIFI_ROUTE_PASSWORD_LABEL;
    static constexpr UINT_PTR kReplyTimer = 1;
    static constexpr UINT kReplyTimerMs = 500;

    CWin_Wifi(WifiSlots& slots, const CZB_FileData& settings);
    ~CWin_Wifi() override { Destroy(); }

    // Takes the replies that arrived (what the timer does every 500 ms).
    void ShowReplies();

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnCommand(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnShowWindow(WPARAM, LPARAM);
    static const MessageRow<CWin_Wifi> kMessageMap[];

    // Every caption in the current language.
    void ApplyLanguage();
    void ReadAll();
    void SetMode(bool route);
    void SetPair(bool hotspot);
    void SetConnectionKind(int kind);
    void CheckRadio(int first, int last, int checked);
    std::wstring ItemText(int id) const;
    int Tell(std::wstring_view text, UINT type = MB_OK);
    void ShowPasswords(bool shown);

    WifiSlots& slots_;
    const CZB_FileData& settings_;
    wchar_t mask_ = L'*';
};

}  // namespace vela
