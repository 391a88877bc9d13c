// CWin_Wifi: the module's settings read from the virtual processor and written back, and the refusals
// that keep the module from receiving anything but what the user typed.
#include <windows.h>
// The IP address control's messages; needs <windows.h> first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/text/strings.h"
#include "core/pages/wifi_dialog_rules.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/pages/wifi_dialog_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "sim/sim_device.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

struct Boxes {
    std::vector<MessageBoxRequest> asked;
    int yes_no_answer = IDYES;
    Boxes() {
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            asked.push_back(box);
            return (box.type & MB_TYPEMASK) == MB_YESNO ? yes_no_answer : IDOK;
        });
    }
    ~Boxes() { SetMessageBoxResponder(nullptr); }
    bool Asked(std::wstring_view text) const {
        for (const auto& b : asked)
            if (b.text == text)
                return true;
        return false;
    }
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128]{};
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    testing::Pump();
}

TEST(WifiDialog, ReadsTheModuleAndWritesWhatItThenReports) {
    Boxes boxes;
    VelaOptions options;
    options.device.kind = DeviceSpec::Kind::kSim;
    auto main = std::make_unique<CZR305M2Dlg>(options);
    ASSERT_TRUE(main->CreateModeless(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return main->DisplayLoaded(); }, 30s));
    auto& sim = static_cast<sim::SimHidDevice&>(main->Device()).Device();
    sim.WithProcessor([](sim::VirtualProcessor& p) {
        p.Wifi().hot_ssid = "Room-7";
        p.Wifi().route_ssid = "venue";
        p.Wifi().mode = 2;
    });

    testing::TempDir folder;
    const CZB_FileData settings(FileLocations{folder.Path(), (folder.Path() / "Temp").string()});
    CWin_Wifi wifi(main->Wifi(), settings);
    ASSERT_TRUE(wifi.CreateModeless(main->Hwnd()));
    ShowWindow(wifi.Hwnd(), SW_SHOW);
    const HWND d = wifi.Hwnd();
    ASSERT_TRUE(PumpUntil(
        [&] {
            DWORD address = 0;
            SendDlgItemMessageW(d, CWin_Wifi::kIpAddress, IPM_GETADDRESS, 0,
                                reinterpret_cast<LPARAM>(&address));
            return ItemText(d, CWin_Wifi::kHotSsid) == L"Room-7" &&
                   ItemText(d, CWin_Wifi::kRouteSsid) == L"venue" &&
                   ItemText(d, CWin_Wifi::kHotPassword) == L"12345678" &&
                   IsDlgButtonChecked(d, CWin_Wifi::kRouteMode) == BST_CHECKED && address == 0xC0A80401;
        },
        20s));
    EXPECT_EQ(IsDlgButtonChecked(d, CWin_Wifi::kHotspotMode), static_cast<UINT>(BST_UNCHECKED));

    SetDlgItemTextW(d, CWin_Wifi::kHotSsid, L"Hall 2");
    SetDlgItemTextW(d, CWin_Wifi::kHotPassword, L"abcdefgh");
    Click(d, CWin_Wifi::kSetHotspot);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Asked(L"Set Hot:OK"); }, 20s));
    sim.WithProcessor([](sim::VirtualProcessor& p) {
        EXPECT_EQ(p.Wifi().hot_ssid, "Hall 2");
        EXPECT_EQ(p.Wifi().hot_password, "abcdefgh");
    });

    // Read data clears the fields, then shows what the module now reports.
    SetDlgItemTextW(d, CWin_Wifi::kHotSsid, L"stale");
    Click(d, CWin_Wifi::kReadData);
    EXPECT_NE(ItemText(d, CWin_Wifi::kHotSsid), L"stale");
    EXPECT_TRUE(PumpUntil([&] { return ItemText(d, CWin_Wifi::kHotSsid) == L"Hall 2"; }, 20s));
    wifi.Destroy();
    main.reset();
}

TEST(WifiDialog, RefusesWhatTheModuleWouldReceiveChangedAndSendsNothing) {
    Boxes boxes;
    testing::HostWindow host;
    WifiSlots slots;
    testing::TempDir folder;
    const CZB_FileData settings(FileLocations{folder.Path(), (folder.Path() / "Temp").string()});
    CWin_Wifi wifi(slots, settings);
    ASSERT_TRUE(wifi.CreateModeless(host.Hwnd()));
    const HWND d = wifi.Hwnd();
    EXPECT_EQ(IsDlgButtonChecked(d, CWin_Wifi::kUseUsb), static_cast<UINT>(BST_CHECKED));
    // Opening queued the queries; the port texts are stored but never sent.
    EXPECT_EQ(slots[wifi::kHotSsid].pending.load(), 1);
    EXPECT_EQ(slots[wifi::kTcpPort].pending.load(), 0);
    EXPECT_EQ(slots.Text(wifi::kTcpPort), "Get_TCPPort:");

    SetDlgItemTextW(d, CWin_Wifi::kHotSsid, L"包房");
    SetDlgItemTextW(d, CWin_Wifi::kHotPassword, L"12345678");
    Click(d, CWin_Wifi::kSetHotspot);
    EXPECT_TRUE(boxes.Asked(wifi_dialog::RefusalText(wifi_dialog::Refusal::kNotPlainText)));

    SetDlgItemTextW(d, CWin_Wifi::kHotSsid, L"room");
    SetDlgItemTextW(d, CWin_Wifi::kHotPassword, L"1234567");
    Click(d, CWin_Wifi::kSetHotspot);
    EXPECT_TRUE(boxes.Asked(Text(str::kPasswordEightChars)));
    SetDlgItemTextW(d, CWin_Wifi::kRouteSsid, L"");
    Click(d, CWin_Wifi::kSetRoute);
    EXPECT_TRUE(boxes.Asked(Text(str::kSsidEmpty)));
    for (const int slot :
         {wifi::kSetHotSsid, wifi::kSetHotPassword, wifi::kSetRouteSsid, wifi::kSetRoutePassword})
        EXPECT_EQ(slots[slot].pending.load(), 0) << slot;

    // The route mode is asked for first; No sends nothing.
    boxes.yes_no_answer = IDNO;
    Click(d, CWin_Wifi::kRouteMode);
    EXPECT_TRUE(boxes.Asked(Text(str::kRouteReconnect)));
    EXPECT_EQ(slots[wifi::kSetMode].pending.load(), 0);
    EXPECT_EQ(IsDlgButtonChecked(d, CWin_Wifi::kRouteMode), static_cast<UINT>(BST_UNCHECKED));
    boxes.yes_no_answer = IDYES;
    Click(d, CWin_Wifi::kRouteMode);
    EXPECT_EQ(slots[wifi::kSetMode].pending.load(), 1);
    EXPECT_EQ(slots.Text(wifi::kSetMode), "Set_WiFiMode:2");

    Click(d, CWin_Wifi::kUseWifi);
    EXPECT_TRUE(boxes.Asked(Text(str::kModifySuccess)));
    EXPECT_EQ(settings.ReadInt(kWifiModeFile, kWifiModeKey), 2);
    wifi.Destroy();
}

// Every caption of the dialog speaks the language chosen when it opens, and its message boxes carry the
// program's caption, not the dialog's title.
TEST(WifiDialog, CaptionsFollowTheLanguageAndBoxesCarryTheProgramsCaption) {
    const int saved = LanguageIndex();
    const struct {
        int id;
        const LocalizedString& text;
    } captions[] = {
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
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SCOPED_TRACE(language);
        SetLanguageIndex(language);
        Boxes boxes;
        testing::HostWindow host;
        SetWindowTextW(host.Hwnd(), L"VELA3.1");
        WifiSlots slots;
        testing::TempDir folder;
        const CZB_FileData settings(FileLocations{folder.Path(), (folder.Path() / "Temp").string()});
        CWin_Wifi wifi(slots, settings);
        ASSERT_TRUE(wifi.CreateModeless(host.Hwnd()));
        const HWND d = wifi.Hwnd();
        wchar_t title[64]{};
        GetWindowTextW(d, title, 64);
        EXPECT_EQ(std::wstring(title), extra::kWifiTitle.members[static_cast<std::size_t>(language)]);
        std::wstring all = title;
        for (const auto& c : captions) {
            EXPECT_EQ(ItemText(d, c.id), c.text.members[static_cast<std::size_t>(language)]) << c.id;
            all += ItemText(d, c.id);
        }
        if (language == kLanguageEnglish) {
            for (wchar_t ch : all)
                EXPECT_LT(ch, 0x2E80) << "a CJK character in the English dialog: " << static_cast<int>(ch);
        }
        SetDlgItemTextW(d, CWin_Wifi::kRouteSsid, L"");
        Click(d, CWin_Wifi::kSetRoute);
        ASSERT_FALSE(boxes.asked.empty());
        EXPECT_EQ(boxes.asked.back().caption, L"VELA3.1");
        wifi.Destroy();
    }
    SetLanguageIndex(saved);
}

}  // namespace
}  // namespace vela
