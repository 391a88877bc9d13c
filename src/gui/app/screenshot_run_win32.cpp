#include "gui/app/screenshot_run_win32.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "core/text/strings.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/win/screenshot_win32.h"
#include "gui/win/window_messages_win32.h"

namespace vela {
namespace {

constexpr UINT kTickMs = 250;
// How long the Wi-Fi dialog's picture waits for the module's replies, in ticks.
constexpr int kWifiShotTicks = 12;
constexpr wchar_t kUiFace[] = L"微软雅黑";
// Simplified and Traditional characters the pages show.
constexpr wchar_t kChineseSample[] = L"模式话筒話筒";

constexpr int kWifiShot = kLastSwitchableTab + 1;
constexpr int kShotsPerLanguage = kWifiShot + 1;

std::wstring ShotName(int language, int tab) {
    static constexpr std::array<const wchar_t*, 3> kLanguageNames{L"zh-Hans", L"zh-Hant", L"en"};
    static constexpr std::array<const wchar_t*, kShotsPerLanguage> kTabNames{
        L"main", L"center", L"sub", L"music", L"mic", L"echo", L"reverb", L"system", L"wifi"};
    wchar_t name[96];
    std::swprintf(name, 96, L"vela-%ls-%d-%ls.png", kLanguageNames[static_cast<std::size_t>(language)], tab,
                  kTabNames[static_cast<std::size_t>(tab)]);
    return name;
}

}  // namespace

CScreenshotRun::CScreenshotRun(CZR305M2Dlg& window, std::wstring folder, int timeout_s)
    : window_(window), folder_(std::move(folder)), timeout_s_(timeout_s) {}

CScreenshotRun::~CScreenshotRun() = default;

void CScreenshotRun::Start() {
    deadline_ = GetTickCount() + static_cast<DWORD>(timeout_s_) * 1000u;
    step_ = 0;
    SetTimer(window_.Hwnd(), kTimer, kTickMs, nullptr);
    // Pictures of Chinese captions drawn as boxes would pass for a result; say so instead.
    if (!FontDrawsText(kUiFace, kChineseSample)) {
        Finish(1,
               std::wstring(L"no installed font draws Chinese text for the face ") + kUiFace +
                   L" (a CJK font and its replacement are missing): the Chinese screenshots would show empty "
                   L"boxes");
    }
}

void CScreenshotRun::Stop() {
    KillTimer(window_.Hwnd(), kTimer);
}

void CScreenshotRun::Step() {
    if (step_ < 0) {
        return;
    }
    const HWND hwnd = window_.Hwnd();
    const bool up = window_.TitleButton(kLinkStateButton).GetCaption() == Text(str::kSuccessful) &&
                    window_.Link().State().link_up.load();
    if (step_ == 0 && !(up && window_.DisplayLoaded())) {
        if (static_cast<std::int32_t>(GetTickCount() - deadline_) >= 0) {
            Finish(1, L"the link did not show \"Successful\" with the table loaded within " +
                          std::to_wstring(timeout_s_) + L" s");
        }
        return;
    }
    // One picture per tick: language by language, every reachable tab, then the Wi-Fi dialog.
    if (step_ >= kShotsPerLanguage * kLanguageCount) {
        Finish(0, L"");
        return;
    }
    const int language = step_ / kShotsPerLanguage;
    const int tab = step_ % kShotsPerLanguage;
    if (tab == 0) {
        SetLanguageIndex(language);
        SendMessageW(hwnd, UM_APPLY_LANGUAGE, 0, 0);
    }
    HWND pictured = hwnd;
    if (tab == kWifiShot) {
        if (!TakeWifiShot(pictured)) {
            return;
        }
    } else {
        SendMessageW(hwnd, IDC_TAB, 0, tab);
        SetForegroundWindow(hwnd);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    const std::filesystem::path path = std::filesystem::path(folder_) / ShotName(language, tab);
    const bool captured = CaptureWindowPng(pictured, path.wstring());
    wifi_.reset();
    if (!captured) {
        Finish(1, L"could not write " + path.wstring());
        return;
    }
    ++step_;
}

// As the System page opens the dialog, but modeless; the picture waits for the module's replies. True once
// the dialog is ready to be pictured.
bool CScreenshotRun::TakeWifiShot(HWND& pictured) {
    if (!wifi_) {
        wifi_settings_ = std::make_unique<CZB_FileData>();
        wifi_ = std::make_unique<CWin_Wifi>(window_.Wifi(), *wifi_settings_);
        if (!wifi_->CreateModeless(window_.Hwnd())) {
            Finish(1, L"could not open the Wi-Fi dialog");
            return false;
        }
        ShowWindow(wifi_->Hwnd(), SW_SHOW);
        wifi_ticks_ = 0;
        return false;
    }
    const bool replied = GetWindowTextLengthW(GetDlgItem(wifi_->Hwnd(), CWin_Wifi::kHotSsid)) > 0;
    if (!replied && ++wifi_ticks_ < kWifiShotTicks) {
        return false;
    }
    pictured = wifi_->Hwnd();
    RedrawWindow(pictured, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return true;
}

void CScreenshotRun::Finish(int result, const std::wstring& message) {
    Stop();
    step_ = -1;
    result_ = result;
    WriteRunReport(folder_, result == 0 ? L"ok" : L"failed: " + message);
    // The exit question is answered by the unattended responder.
    PostMessageW(window_.Hwnd(), WM_CLOSE, 0, 0);
}

}  // namespace vela
