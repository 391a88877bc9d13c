// CWin_Wifi: the Wi-Fi module's settings. Everything goes through the Wi-Fi command slots, so the dialog
// never waits for the module; a timer shows the replies as they arrive.
#pragma once

#include <windows.h>

#include "core/files/file_data.h"
#include "core/link/wifi_slots.h"
#include "gui/win/window_win32.h"

namespace vela {

class CWin_Wifi : public CDialogWindow {
  public:
    static constexpr int kIpAddress = 1009;
    static constexpr int kHotSsid = 1001;
    static constexpr int kHotPassword = 1002;
    static constexpr int kRouteSsid = 1003;
    static constexpr int kRoutePassword = 1004;
    static constexpr int kHotspotMode = 1007;
    static constexpr int kRouteMode = 1008;
    static constexpr int kUseUsb = 1012;
    static constexpr int kUseWifi = 1013;
    static constexpr int kReadData = 1020;
    static constexpr int kSetHotspot = 1019;
    static constexpr int kSetRoute = 1006;
    static constexpr int kShowPasswords = 1021;
    // The field names beside the address and the four boxes.
    static constexpr int kIpLabel = 1030;
    static constexpr int kHotSsidLabel = 1031;
    static constexpr int kHotPasswordLabel = 1032;
    static constexpr int kRouteSsidLabel = 1033;
    static constexpr int kRoutePasswordLabel = 1034;
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
