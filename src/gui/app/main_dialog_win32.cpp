#include "gui/app/main_dialog_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <filesystem>
#include <vector>

#include "core/link/device_spec.h"
#include "core/text/strings.h"
#include "core/ui/text_layout.h"
#include "gui/app/diag_log_win32.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

constexpr std::array<int, 3> kBackgroundIds{IDB_BACKGROUND_MAIN, IDB_BACKGROUND_MIC, IDB_BACKGROUND_SYSTEM};
constexpr std::size_t kMainBackground = 0;
constexpr std::size_t kMicBackground = 1;
constexpr std::size_t kSystemBackground = 2;

constexpr std::array<int, kTitleButtonCount> kTitleImages{
    IDP_TITLE_TRAY, IDP_TITLE_MAXIMISE, IDP_TITLE_CLOSE, IDP_LINK_STATE, IDP_BUTTON, IDP_BUTTON, IDP_BUTTON};
// Tab captions; 8 has none and 9 is the Rear page.
constexpr std::array<int, kTabCount> kTabTexts{str::kMain, str::kCenter, str::kSub,    str::kMusic,
                                               str::kMic,  str::kEcho,   str::kReverb, str::kSystem,
                                               -1,         str::kRear};
constexpr int kLastSwitchableTab = 7;
constexpr std::array<const wchar_t*, 6> kMusicSourceNames{L"VOD", L"DVD", L"OPT", L"MP3", L"BT", L"ARC"};

static_assert(layout::kMasterMaxLevelParameters.size() == kMasterFaderCount);
static_assert(UM_APPLY_LANGUAGE == 22624 && UM_CLAMP_MASTER_LEVELS == 22824, "the System page sends these");

constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kButtonText = 0xFFD8DDE2;
constexpr unsigned kCaptionText = 0xC8FFFFFF;
constexpr int kCentred = kTextCentre | kTextMiddle | kTextSingleLine;
constexpr int kLeftMiddle = kTextMiddle | kTextSingleLine;
constexpr int kRightMiddle = kTextRight | kTextMiddle | kTextSingleLine;
constexpr wchar_t kUiFace[] = L"微软雅黑";
// Simplified and Traditional characters the pages show.
constexpr wchar_t kChineseSample[] = L"模式话筒話筒";
constexpr wchar_t kCaptionFace[] = L"宋体";
constexpr int kComboListHeight = 160;
constexpr int kMusicSourceStyle = 2;

constexpr UINT kTrayIconId = 128;
constexpr int kAboutCorner = 9;
constexpr int kAboutVersion = 25089;
constexpr DWORD kCloseSettleMs = 30;

constexpr UINT_PTR kScreenshotTimer = 1;
constexpr UINT kScreenshotTickMs = 250;
// How long the Wi-Fi dialog's picture waits for the module's replies, in ticks.
constexpr int kWifiShotTicks = 12;

// Boxes and dialogs still open over the window run message loops of their own, which would keep its own
// loop from ending (and the process alive) until someone answered them.
void EndOwnedDialogs(HWND owner, HWND keep) {
    struct Search {
        HWND owner;
        HWND keep;
        std::vector<HWND> found;
    } search{owner, keep, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            auto& s = *reinterpret_cast<Search*>(p);
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (w == s.keep || std::wcscmp(name, L"#32770") != 0)
                return TRUE;
            for (HWND o = GetWindow(w, GW_OWNER); o; o = GetWindow(o, GW_OWNER)) {
                if (o == s.owner) {
                    s.found.push_back(w);
                    break;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND w : search.found)
        EndDialog(w, IDCANCEL);
}

}  // namespace

const MessageRow<CZR305M2Dlg> CZR305M2Dlg::kMessageMap[] = {
    {WM_PAINT, 0, &CZR305M2Dlg::OnPaint},
    {WM_ERASEBKGND, 0, &CZR305M2Dlg::OnEraseBackground},
    {WM_QUERYDRAGICON, 0, &CZR305M2Dlg::OnQueryDragIcon},
    {WM_SIZE, 0, &CZR305M2Dlg::OnSize},
    {WM_GETMINMAXINFO, 0, &CZR305M2Dlg::OnGetMinMaxInfo},
    {WM_WINDOWPOSCHANGING, 0, &CZR305M2Dlg::OnWindowPosChanging},
    {WM_DPICHANGED, 0, &CZR305M2Dlg::OnDpiChanged},
    {WM_LBUTTONDOWN, 0, &CZR305M2Dlg::OnLButtonDown},
    {WM_LBUTTONDBLCLK, 0, &CZR305M2Dlg::OnLButtonDblClk},
    {WM_CLOSE, 0, &CZR305M2Dlg::OnClose},
    {WM_COMMAND, 0, &CZR305M2Dlg::OnCommand},
    {WM_TIMER, 0, &CZR305M2Dlg::OnTimer},
    {WM_DESTROY, 0, &CZR305M2Dlg::OnDestroy},
    {UM_TRAY_NOTIFY, 0, &CZR305M2Dlg::OnTrayNotify},
    {WM_SHOWWINDOW, 0, &CZR305M2Dlg::OnShowWindow},
    {kTitleButtonId, 0, &CZR305M2Dlg::OnTitleButton},
    {kTabButtonId, 0, &CZR305M2Dlg::OnTab},
    {kFirstMasterFaderId + 0, 0, &CZR305M2Dlg::OnMasterFader},
    {kFirstMasterFaderId + 1, 0, &CZR305M2Dlg::OnMasterFader},
    {kFirstMasterFaderId + 2, 0, &CZR305M2Dlg::OnMasterFader},
    {kFirstMasterFaderId + 3, 0, &CZR305M2Dlg::OnMasterFader},
    {kMusicSourceId, 0, &CZR305M2Dlg::OnMusicSource},
    {UM_APPLY_LANGUAGE, 0, &CZR305M2Dlg::OnApplyLanguage},
    {UM_CLAMP_MASTER_LEVELS, 0, &CZR305M2Dlg::OnClampMasterLevels},
    {UM_UPDATE_EXIT, 0, &CZR305M2Dlg::OnUpdateExit},
    {UM_LINK_NOTIFY, 0, &CZR305M2Dlg::OnLinkNotify},
};

CZR305M2Dlg::CZR305M2Dlg(const VelaOptions& options)
    : CDialogWindow(IDD_MAIN),
      options_(options),
      stack_(options.device, clock_),
      link_(stack_.Link()),
      map_(link_, Mapped()) {
    // The strip pages write their edits through the map.
    for (auto& page : outputs_)
        page->Model().SendEditsTo(map_);
    for (auto& page : inputs_)
        page->Model().SendEditsTo(map_);
    for (auto& page : effects_)
        page->Model().SendEditsTo(map_);
    icon_ = LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_VELA));
}

CZR305M2Dlg::~CZR305M2Dlg() {
    StopLinkNow();
    RemoveTrayIcon();
    Destroy();
}

MappedControls CZR305M2Dlg::Mapped() {
    // The map holds the strip pages, so they exist before it.
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        static constexpr std::array<int, 4> kIds{0, 1, 2, 9};
        outputs_[i] = std::make_unique<CWinOut>(kIds[i]);
    }
    inputs_[0] = std::make_unique<CWinIn>(3);
    inputs_[1] = std::make_unique<CWinIn>(4);
    effects_[0] = std::make_unique<CWinEffect>(5);
    effects_[1] = std::make_unique<CWinEffect>(6);
    system_ = std::make_unique<CWinSystem>(
        stack_.Link(), [this] { return stack_.Controller(); }, stack_.Wifi(), FileLocations::System());
    MappedControls c;
    for (std::size_t i = 0; i < outputs_.size(); ++i)
        c.outputs[i] = &outputs_[i]->Model();
    c.music = &inputs_[0]->Model();
    c.mic = &inputs_[1]->Model();
    c.echo = &effects_[0]->Model();
    c.reverb = &effects_[1]->Model();
    c.system = &system_->Model();
    c.faders = &fader_adapter_;
    c.source = &source_adapter_;
    c.mode = &mode_adapter_;
    c.messages = &message_adapter_;
    return c;
}

CPageWindow* CZR305M2Dlg::PageForTab(int tab) {
    switch (tab) {
        case 0:
        case 1:
        case 2:
            return outputs_[static_cast<std::size_t>(tab)].get();
        case 3:
        case 4:
            return inputs_[static_cast<std::size_t>(tab - 3)].get();
        case 5:
        case 6:
            return effects_[static_cast<std::size_t>(tab - 5)].get();
        case 7:
            return system_.get();
        case kRearTab:
            return outputs_[3].get();
        default:
            return nullptr;
    }
}

// ---------------------------------------------------------------- start-up

BOOL CZR305M2Dlg::OnInitDialog() {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    small_icon_.Reset(
        static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDI_VELA), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(small_icon_ ? small_icon_.Get() : icon_));

    SetWindowTextW(hwnd_, kWindowTitle);
    SetPropW(hwnd_, kMainWindowProperty, reinterpret_cast<HANDLE>(1));

    // Stores as large as the screen (at least the design size): stretching into them later keeps their DCs,
    // which the controls hold as their parent background.
    const int store_w = std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), kDesignWidth);
    const int store_h = std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), kDesignHeight);
    for (std::size_t k = 0; k < kBackgroundIds.size(); ++k) {
        if (originals_[k].Load(kBackgroundIds[k], hwnd_)) {
            backgrounds_[k].Resize(0, 0, store_w, store_h, nullptr);
            backgrounds_[k].Stretch(0, 0, kDesignWidth, kDesignHeight, originals_[k].Dc(), 0, 0, kDesignWidth,
                                    kDesignHeight);
        }
    }

    CreatePages();
    // The design size at this monitor's scaling: the layout scales everything from the client size.
    const RECT work = MonitorWorkArea(hwnd_);
    const Rect start =
        InitialWindowRect(WindowDpi(hwnd_), Rect{work.left, work.top, work.right, work.bottom});
    MoveWindow(hwnd_, start.left, start.top, start.Width(), start.Height(), TRUE);
    // Dialog units may have given another size, or the size may not have changed: lay out once either way.
    const RECT client = ClientRect();
    ApplyLayout(client.right, client.bottom);

    host_ = std::make_unique<CGuiLinkHost>(hwnd_, progress_, LanguageIndex());
    log_ = StartProgramLog(ToString(options_.device));
    stack_.SetEvents(log_.get());
    stack_.Start(*host_);

    link_.SetSendSwitch(true);
    output_pages_enabled_ = true;
    VeilUntilLoaded(true);

    PostMessageW(hwnd_, UM_APPLY_LANGUAGE, 0, 0);
    PostMessageW(hwnd_, kTabButtonId, 0, 0);
    StartOnlineUpdate();

    if (!options_.screenshots.empty()) {
        screenshot_deadline_ = GetTickCount() + static_cast<DWORD>(options_.screenshot_timeout_s) * 1000u;
        screenshot_step_ = 0;
        SetTimer(hwnd_, kScreenshotTimer, kScreenshotTickMs, nullptr);
        // Pictures of Chinese captions drawn as boxes would pass for a result; say so instead.
        if (!FontDrawsText(kUiFace, kChineseSample)) {
            FinishScreenshots(1,
                              std::wstring(L"no installed font draws Chinese text for the face ") + kUiFace +
                                  L" (a CJK font and its replacement are missing): the Chinese screenshots "
                                  L"would show empty boxes");
        }
    }
    return TRUE;
}

void CZR305M2Dlg::CreatePages() {
    for (int tab = 0; tab < kTabCount; ++tab) {
        CPageWindow* page = PageForTab(tab);
        if (page == nullptr) {
            continue;
        }
        const std::size_t store = page == inputs_[1].get() ? kMicBackground
                                  : page == system_.get()  ? kSystemBackground
                                                           : kMainBackground;
        page->SetBackground(&backgrounds_[store]);
        page->Create(hwnd_);
    }
}

// ---------------------------------------------------------------- layout

void CZR305M2Dlg::CreateControls() {
    HDC bg = backgrounds_[kMainBackground].Dc();
    for (int i = 0; i < kTitleButtonCount; ++i) {
        CGDI_Button& b = TitleButton(i);
        b.Create(hwnd_, kTitleButtonId, RECT{0, 0, 1, 1});
        b.SetIndex(i);
        b.SetSkin(bg, kTitleImages[static_cast<std::size_t>(i)]);
    }
    TitleButton(kLinkStateButton).SetCheck(CGDI_Button::kLatchOff);
    TitleButton(kAutoHandButton).SetCheck(CGDI_Button::kLatchOn);
    TitleButton(kSingButton).SetCheck(CGDI_Button::kLatchOn);
    TitleButton(kDanceButton).SetCheck(CGDI_Button::kLatchOff);

    for (int i = 0; i < kTabCount; ++i) {
        CGDI_Button& t = Tab(i);
        const int text = kTabTexts[static_cast<std::size_t>(i)];
        t.Create(hwnd_, kTabButtonId, RECT{0, 0, 1, 1},
                 text >= 0 ? std::wstring(TextIn(text, kLanguageSimplified)).c_str() : L"");
        t.SetIndex(i);
        t.SetSkin(bg, IDP_TAB);
        t.SetCheck(CGDI_Button::kLatchOff);
    }

    for (int i = 0; i < kMasterFaderCount; ++i) {
        CEA_Lum2& f = MasterFader(i);
        f.Create(hwnd_, static_cast<int>(kFirstMasterFaderId) + i, RECT{0, 0, 1, 1});
        f.SetIndex(i);
        f.SetCaptioned(true);
        f.SetSkin(bg, IDP_VALUE_CONTROL, 0);
        f.SetTextColour(kWhite);
        f.SetShown(visibility_.faders[static_cast<std::size_t>(i)]);
    }

    music_input_caption_.Create(hwnd_, kMusicInputCaptionId, RECT{0, 0, 1, 1});
    music_input_caption_.SetSkin(bg, 0, 0);
    model_label_.Create(hwnd_, kModelLabelId, RECT{0, 0, 1, 1});
    model_label_.SetSkin(bg, 0, 0);
    music_source_.Create(hwnd_, kMusicSourceId, RECT{0, 0, 1, kComboListHeight});
    for (const wchar_t* name : kMusicSourceNames) {
        music_source_.AddItem(name);
    }
    music_source_.SetSkin(bg, IDP_COMBO_MAIN, kMusicSourceStyle);
    music_source_.SetItem(0);
    controls_created_ = true;
}

void CZR305M2Dlg::Reskin() {
    HDC bg = backgrounds_[kMainBackground].Dc();
    for (int i = 0; i < kTitleButtonCount; ++i)
        TitleButton(i).SetSkin(bg, kTitleImages[static_cast<std::size_t>(i)]);
    for (int i = 0; i < kTabCount; ++i)
        Tab(i).SetSkin(bg, IDP_TAB);
    for (int i = 0; i < kMasterFaderCount; ++i)
        MasterFader(i).SetSkin(bg, IDP_VALUE_CONTROL, 0);
    music_input_caption_.SetSkin(bg, 0, 0);
    model_label_.SetSkin(bg, 0, 0);
    music_source_.SetSkin(bg, IDP_COMBO_MAIN, kMusicSourceStyle);
}

void CZR305M2Dlg::ApplyLayout(int width, int height) {
    if (!originals_[kMainBackground].Loaded()) {
        return;
    }
    if (layout_ && laid_out_for_.cx == width && laid_out_for_.cy == height) {
        return;
    }
    const std::optional<MainLayout> computed = ComputeMainLayout(width, height, visibility_);
    if (!computed) {
        return;
    }
    bool store_moved = false;
    for (std::size_t k = 0; k < originals_.size(); ++k) {
        if (!originals_[k].Loaded()) {
            continue;
        }
        HDC before = backgrounds_[k].Dc();
        backgrounds_[k].Stretch(0, 0, width, height, originals_[k].Dc(), 0, 0, kDesignWidth, kDesignHeight);
        store_moved = store_moved || backgrounds_[k].Dc() != before;
    }
    layout_ = computed;
    laid_out_for_ = SIZE{width, height};
    const MainLayout& l = *layout_;
    if (!controls_created_) {
        CreateControls();
    } else if (store_moved) {
        Reskin();
    }
    const auto place = [](HWND w, const Rect& r) {
        if (w)
            MoveWindow(w, r.left, r.top, r.Width(), r.Height(), TRUE);
    };
    for (int i = 0; i < kTitleButtonCount; ++i) {
        CGDI_Button& b = TitleButton(i);
        place(b.Hwnd(), l.title_buttons[static_cast<std::size_t>(i)]);
        b.SetTextStyle(static_cast<float>(l.title_font), kUiFace, kButtonText, kCentred, kWhite);
    }
    for (int i = 0; i < kTabCount; ++i) {
        CGDI_Button& t = Tab(i);
        place(t.Hwnd(), l.tabs[static_cast<std::size_t>(i)]);
        t.SetTextStyle(static_cast<float>(l.tab_font), kUiFace, kButtonText, kCentred, kWhite);
    }
    for (int i = 0; i < kMasterFaderCount; ++i) {
        place(MasterFader(i).Hwnd(), l.faders[static_cast<std::size_t>(i)]);
    }
    place(music_input_caption_.Hwnd(), l.music_input_caption);
    music_input_caption_.SetTextStyle(static_cast<float>(l.caption_font), kCaptionFace, kCaptionText,
                                      kRightMiddle);
    Rect combo = l.music_source;
    combo.bottom = combo.top + static_cast<int>(kComboListHeight * l.s);
    place(music_source_.Hwnd(), combo);
    place(model_label_.Hwnd(), l.model_label);
    model_label_.SetTextStyle(static_cast<float>(l.model_font), kUiFace, kWhite, kLeftMiddle);
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (CPageWindow* page = PageForTab(tab)) {
            place(page->Hwnd(), l.page);
        }
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Moved to a monitor of other scaling, or the scaling changed: the system's suggestion keeps the window's
// physical size in step; the layout follows through WM_SIZE.
LRESULT CZR305M2Dlg::OnDpiChanged(WPARAM, LPARAM lparam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

LRESULT CZR305M2Dlg::OnSize(WPARAM wparam, LPARAM lparam) {
    if (wparam != SIZE_MINIMIZED) {
        ApplyLayout(LOWORD(lparam), HIWORD(lparam));
    }
    return 0;
}

// Below the minimum client the captions would be too small to read.
LRESULT CZR305M2Dlg::OnGetMinMaxInfo(WPARAM, LPARAM lparam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
    const Rect least = MinimumClientRect();
    RECT frame{0, 0, least.Width(), least.Height()};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    info->ptMinTrackSize.x = frame.right - frame.left;
    info->ptMinTrackSize.y = frame.bottom - frame.top;
    return 0;
}

// The system holds only windows with a sizing border to their minimum tracking size; this one has none,
// so every resize (a program's, a scaling change, the first placement) is held here.
LRESULT CZR305M2Dlg::OnWindowPosChanging(WPARAM wparam, LPARAM lparam) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
    if (pos != nullptr && !(pos->flags & SWP_NOSIZE) && !IsIconic(hwnd_)) {
        MINMAXINFO info{};
        OnGetMinMaxInfo(0, reinterpret_cast<LPARAM>(&info));
        pos->cx = std::max(pos->cx, static_cast<int>(info.ptMinTrackSize.x));
        pos->cy = std::max(pos->cy, static_cast<int>(info.ptMinTrackSize.y));
    }
    return DefaultProc(WM_WINDOWPOSCHANGING, wparam, lparam);
}

// ---------------------------------------------------------------- painting

LRESULT CZR305M2Dlg::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CZR305M2Dlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(icon_);
}

LRESULT CZR305M2Dlg::OnPaint(WPARAM, LPARAM) {
    PaintDc paint(hwnd_);
    const RECT client = ClientRect();
    if (IsIconic(hwnd_)) {
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(paint.Get(), x, y, icon_);
        return 0;
    }
    if (client.right <= 0 || client.bottom <= 0 || !backgrounds_[kMainBackground].Loaded()) {
        return 0;
    }
    if (canvas_.Size().right != client.right || canvas_.Size().bottom != client.bottom) {
        canvas_.Resize(0, 0, client.right, client.bottom, paint.Get());
    }
    BitBlt(canvas_.Dc(), 0, 0, client.right, client.bottom, backgrounds_[kMainBackground].Dc(), 0, 0,
           SRCCOPY);
    if (controls_created_) {
        for (CGDI_Button& b : title_buttons_) {
            b.PaintTo(canvas_.Dc());
        }
    }
    if (first_paint_done_ && layout_) {
        // The pages paint their own area; the main window must not overdraw it.
        ExcludeClipRect(paint.Get(), 0, layout_->page.top, client.right, client.bottom);
    }
    BitBlt(paint.Get(), 0, 0, client.right, client.bottom, canvas_.Dc(), 0, 0, SRCCOPY);
    first_paint_done_ = true;
    return 0;
}

// ---------------------------------------------------------------- mouse, keyboard, tray

LRESULT CZR305M2Dlg::OnLButtonDown(WPARAM wparam, LPARAM lparam) {
    const int x = GET_X_LPARAM(lparam);
    const int y = GET_Y_LPARAM(lparam);
    if (x <= kAboutCorner && y <= kAboutCorner) {
        ShowAbout();
        return 0;
    }
    const double sy = layout_ ? layout_->sy : 1.0;
    if (y < kDragStripHeight * sy && !IsZoomed(hwnd_)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        POINT screen{x, y};
        ClientToScreen(hwnd_, &screen);
        PostMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    } else if (!output_pages_enabled_ && y > kDragStripHeight * sy) {
        message_adapter_.Show(Text(str::kAutoModeLocked), {}, MessageButtons::kOk);
    }
    return DefaultProc(WM_LBUTTONDOWN, wparam, lparam);
}

LRESULT CZR305M2Dlg::OnLButtonDblClk(WPARAM wparam, LPARAM lparam) {
    OnLButtonDown(wparam, lparam);
    return DefaultProc(WM_LBUTTONDBLCLK, wparam, lparam);
}

LRESULT CZR305M2Dlg::OnCommand(WPARAM wparam, LPARAM lparam) {
    // Enter (IDOK) and Escape (IDCANCEL) must not end the dialog: closing goes through the exit question.
    if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        return 0;
    }
    return DefaultProc(WM_COMMAND, wparam, lparam);
}

void CZR305M2Dlg::ShowAbout() {
    const std::time_t built = [] {
        std::tm tm{};
        // __DATE__ "Mmm dd yyyy", __TIME__ "hh:mm:ss"
        char month[4] = {};
        std::sscanf(__DATE__, "%3s %d %d", month, &tm.tm_mday, &tm.tm_year);
        std::sscanf(__TIME__, "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec);
        static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
        const char* found = std::strstr(kMonths, month);
        tm.tm_mon = found ? static_cast<int>((found - kMonths) / 3) : 0;
        tm.tm_year -= 1900;
        tm.tm_isdst = -1;
        return std::mktime(&tm);
    }();
    wchar_t date[32] = {};
    std::tm local{};
    localtime_s(&local, &built);
    std::wcsftime(date, 32, L"%Y-%m-%d %H:%M", &local);
    wchar_t version[32] = {};
    std::swprintf(version, 32, L"-V7.%d", kAboutVersion);
    const std::wstring text = std::wstring(Text(extra::kVersionPrefix)) + kWindowTitle + version + L"\n\r" +
                              date + L"\n\n" + std::wstring(Text(kOpenLogFolderQuestion));
    if (message_adapter_.Show(text, Text(extra::kAboutCaption), MessageButtons::kYesNo) ==
        MessageAnswer::kYes) {
        OpenLogFolder();
    }
}

void CZR305M2Dlg::AddTrayIcon() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = UM_TRAY_NOTIFY;
    data.hIcon = icon_;
    tray_shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE || tray_shown_;
}

void CZR305M2Dlg::RemoveTrayIcon() {
    if (!tray_shown_ || hwnd_ == nullptr) {
        return;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    tray_shown_ = false;
}

LRESULT CZR305M2Dlg::OnTrayNotify(WPARAM, LPARAM lparam) {
    if (lparam == WM_LBUTTONDOWN || lparam == WM_LBUTTONDBLCLK) {
        RemoveTrayIcon();
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
    return 0;
}

LRESULT CZR305M2Dlg::OnShowWindow(WPARAM wparam, LPARAM lparam) {
    // However the window comes back (the icon, or a second start restoring it), it leaves the tray.
    if (wparam != FALSE) {
        RemoveTrayIcon();
    }
    return DefaultProc(WM_SHOWWINDOW, wparam, lparam);
}

// ---------------------------------------------------------------- title buttons, tabs

LRESULT CZR305M2Dlg::OnTitleButton(WPARAM, LPARAM lparam) {
    const int index = static_cast<int>(lparam);
    switch (index) {
        case kTrayButton:
            AddTrayIcon();
            ShowWindow(hwnd_, SW_HIDE);
            break;
        case kMaximiseButton:
            ShowWindow(hwnd_, IsZoomed(hwnd_) ? SW_RESTORE : SW_MAXIMIZE);
            break;
        case kCloseButton:
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
            break;
        case kLinkStateButton: {
            LinkState& state = link_.State();
            if (!state.paused.load()) {
                state.paused.store(true);
                ShowLinkState(str::kSuspended);
            } else {
                // The link reconnects; the caption stays until it reports its state.
                state.paused.store(false);
                link_.RequestReconnect();
            }
            break;
        }
        case kAutoHandButton:
        case kSingButton:
        case kDanceButton:
            map_.OnModeButton(index);
            break;
        default:
            break;
    }
    return 0;
}

void CZR305M2Dlg::ShowLinkState(int text) {
    TitleButton(kLinkStateButton).SetCaption(std::wstring(Text(text)));
}

LRESULT CZR305M2Dlg::OnTab(WPARAM, LPARAM lparam) {
    SwitchToTab(static_cast<int>(lparam));
    return 0;
}

void CZR305M2Dlg::SwitchToTab(int tab) {
    for (int i = 0; i <= kLastSwitchableTab; ++i) {
        CPageWindow* page = PageForTab(i);
        if (i == tab) {
            Tab(i).SetCheck(CGDI_Button::kLatchOn);
            if (page) {
                if (i <= 2) {
                    EnableWindow(page->Hwnd(), output_pages_enabled_);
                }
                ShowWindow(page->Hwnd(), SW_SHOW);
            }
        } else {
            Tab(i).SetCheck(CGDI_Button::kLatchOff);
            if (page) {
                ShowWindow(page->Hwnd(), SW_HIDE);
            }
        }
    }
    if (tab >= 0 && tab <= kLastSwitchableTab) {
        current_tab_ = tab;
    }
}

// ---------------------------------------------------------------- the map's notifications

LRESULT CZR305M2Dlg::OnMasterFader(WPARAM wparam, LPARAM) {
    map_.OnMasterFader(static_cast<int>(wparam));
    return 0;
}

LRESULT CZR305M2Dlg::OnMusicSource(WPARAM, LPARAM) {
    map_.OnMusicSource();
    return 0;
}

LRESULT CZR305M2Dlg::OnClampMasterLevels(WPARAM, LPARAM) {
    map_.ClampMasterLevels();
    return 0;
}

LRESULT CZR305M2Dlg::OnApplyLanguage(WPARAM, LPARAM) {
    if (host_) {
        host_->SetLanguageIndex(LanguageIndex());
    }
    if (!controls_created_) {
        return 0;
    }
    CGDI_Button& state = TitleButton(kLinkStateButton);
    if (const auto text = RelocalizeLinkState(state.GetCaption())) {
        state.SetCaption(std::wstring(*text));
    }
    music_input_caption_.SetCaption(std::wstring(Text(str::kMusicInput)));
    const int selection = music_source_.GetItem();
    music_source_.ResetItems();
    for (const wchar_t* name : kMusicSourceNames) {
        music_source_.AddItem(name);
    }
    music_source_.SetItem(selection);
    for (int i = 0; i < kTabCount; ++i) {
        const int text = kTabTexts[static_cast<std::size_t>(i)];
        if (text >= 0) {
            Tab(i).SetCaption(std::wstring(Text(text)));
        }
    }
    map_.ApplyLanguage();
    Invalidate();
    return 0;
}

LRESULT CZR305M2Dlg::OnLinkNotify(WPARAM wparam, LPARAM lparam) {
    switch (static_cast<LinkNotify>(wparam)) {
        case LinkNotify::kParameter: {
            const auto index = static_cast<std::size_t>(lparam);
            if (index < kParameterCount) {
                map_.RefreshFromParameter(index, link_.Table().Value(index));
            }
            break;
        }
        case LinkNotify::kAllRead:
            // Comes before the values and the table-changed notice of a load, which then clamps.
            max_levels_known_ = true;
            break;
        case LinkNotify::kTableChanged:
            map_.ClampMasterLevels();
            break;
        case LinkNotify::kLinkState: {
            wchar_t title[128] = {};
            GetWindowTextW(hwnd_, title, 128);
            model_label_.SetCaption(title);
            const bool connected = lparam == static_cast<LPARAM>(LinkStateCode::kConnected);
            display_loaded_ = display_loaded_ && connected;
            TitleButton(kLinkStateButton)
                .SetCheck(connected ? CGDI_Button::kLatchOn : CGDI_Button::kLatchOff);
            ShowLinkState(connected ? str::kSuccessful : str::kSearching);
            break;
        }
        case LinkNotify::kDisplayUpdated:
            display_loaded_ = true;
            VeilUntilLoaded(false);
            break;
        default:
            break;
    }
    return 0;
}

// Until the first table has loaded the pages and master faders show placeholders: greyed and closed to
// input, so that nothing made of them reaches the device.
void CZR305M2Dlg::VeilUntilLoaded(bool veiled) {
    if (!veiled && !awaiting_table_)
        return;
    awaiting_table_ = veiled;
    for (int tab = 0; tab <= kRearTab; ++tab) {
        if (CPageWindow* page = PageForTab(tab); page && page->Hwnd()) {
            EnableWindow(page->Hwnd(),
                         !veiled && (tab > 2 && tab != kRearTab ? true : output_pages_enabled_));
            SetVeiled(page->Hwnd(), veiled);
        }
    }
    for (int fader = 0; fader < kMasterFaderCount; ++fader) {
        MasterFader(fader).SetEnabled(!veiled);
        SetVeiled(MasterFader(fader).Hwnd(), veiled);
    }
}

// ---------------------------------------------------------------- closing

LRESULT CZR305M2Dlg::OnClose(WPARAM, LPARAM) {
    // One exit question at a time: closing again while it is open brings it forward.
    if (asking_exit_) {
        if (HWND front = FrontWindowOf(hwnd_); front != hwnd_)
            SetForegroundWindow(front);
        return 0;
    }
    asking_exit_ = true;
    const MessageAnswer answer =
        message_adapter_.Show(Text(str::kExitProgram), Text(str::kTip), MessageButtons::kYesNo);
    asking_exit_ = false;
    if (answer != MessageAnswer::kYes) {
        return 0;
    }
    // A second start must not bring back a window that is on its way out.
    RemovePropW(hwnd_, kMainWindowProperty);
    RemoveTrayIcon();
    ShowWindow(hwnd_, SW_HIDE);
    StopLinkNow();
    EndOwnedDialogs(hwnd_, progress_.Hwnd());
    Sleep(kCloseSettleMs);
    closed_ = true;
    EndDialog(0);
    return 0;
}

void CZR305M2Dlg::StopLinkNow() {
    if (host_) {
        host_->CancelWaits();
    }
    if (update_) {
        update_->Stop();
    }
    stack_.Stop();
}

void CZR305M2Dlg::StartOnlineUpdate() {
    // An unattended run answers every box with OK: it must not accept an update.
    if (!options_.screenshots.empty()) {
        return;
    }
    update::UpdateSettings settings;
    settings.server = update::ParseUpdateHost(options_.update_host);
    std::error_code ec;
    settings.work_dir = std::filesystem::current_path(ec);
    settings.exe_name = RunningExeName();
    settings.query = RunningQueryFields();
    settings.machine = RunningMachine();
    settings.publisher_key = BuiltInPublisherKey();
    const HWND window = hwnd_;
    update_system_ =
        std::make_unique<WinUpdateSystem>([window] { PostMessageW(window, UM_UPDATE_EXIT, 0, 0); });
    logged_network_ = std::make_unique<update::LoggedUpdateNetwork>(update_network_, *log_);
    update_ = std::make_unique<update::OnlineUpdate>(std::move(settings), *logged_network_, *update_system_,
                                                     *host_, link_.State().running, clock_, SystemCodePage());
    update_->Start();
}

LRESULT CZR305M2Dlg::OnUpdateExit(WPARAM, LPARAM) {
    // The batch file waits a moment and then replaces the program: leave at once, without asking.
    RemoveTrayIcon();
    ShowWindow(hwnd_, SW_HIDE);
    StopLinkNow();
    closed_ = true;
    EndDialog(0);
    return 0;
}

LRESULT CZR305M2Dlg::OnDestroy(WPARAM wparam, LPARAM lparam) {
    KillTimer(hwnd_, kScreenshotTimer);
    RemoveTrayIcon();
    // Nothing may reach a window that is going away.
    StopLinkNow();
    RemovePropW(hwnd_, kMainWindowProperty);
    return DefaultProc(WM_DESTROY, wparam, lparam);
}

// ---------------------------------------------------------------- unattended screenshots

LRESULT CZR305M2Dlg::OnTimer(WPARAM wparam, LPARAM lparam) {
    if (wparam != kScreenshotTimer) {
        return DefaultProc(WM_TIMER, wparam, lparam);
    }
    ScreenshotStep();
    return 0;
}

void CZR305M2Dlg::ScreenshotStep() {
    if (screenshot_step_ < 0) {
        return;
    }
    const bool up =
        TitleButton(kLinkStateButton).GetCaption() == Text(str::kSuccessful) && link_.State().link_up.load();
    if (screenshot_step_ == 0) {
        if (!(up && display_loaded_)) {
            if (static_cast<std::int32_t>(GetTickCount() - screenshot_deadline_) >= 0) {
                FinishScreenshots(1, L"the link did not show \"Successful\" with the table loaded within " +
                                         std::to_wstring(options_.screenshot_timeout_s) + L" s");
            }
            return;
        }
    }
    // One picture per tick: language by language, every reachable tab, then the Wi-Fi dialog.
    constexpr int kWifiShot = kLastSwitchableTab + 1;
    constexpr int kShotsPerLanguage = kWifiShot + 1;
    const int shot = screenshot_step_;
    if (shot >= kShotsPerLanguage * kLanguageCount) {
        FinishScreenshots(0, L"");
        return;
    }
    const int language = shot / kShotsPerLanguage;
    const int tab = shot % kShotsPerLanguage;
    if (tab == 0) {
        SetLanguageIndex(language);
        SendMessageW(hwnd_, UM_APPLY_LANGUAGE, 0, 0);
    }
    HWND pictured = hwnd_;
    if (tab == kWifiShot) {
        // As the System page opens it, but modeless; the picture waits for the module's replies.
        if (!wifi_shot_) {
            wifi_shot_settings_ = std::make_unique<CZB_FileData>();
            wifi_shot_ = std::make_unique<CWin_Wifi>(Wifi(), *wifi_shot_settings_);
            if (!wifi_shot_->CreateModeless(hwnd_)) {
                FinishScreenshots(1, L"could not open the Wi-Fi dialog");
                return;
            }
            ShowWindow(wifi_shot_->Hwnd(), SW_SHOW);
            wifi_shot_ticks_ = 0;
            return;
        }
        const bool replied = GetWindowTextLengthW(GetDlgItem(wifi_shot_->Hwnd(), CWin_Wifi::kHotSsid)) > 0;
        if (!replied && ++wifi_shot_ticks_ < kWifiShotTicks) {
            return;
        }
        pictured = wifi_shot_->Hwnd();
        RedrawWindow(pictured, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    } else {
        SwitchToTab(tab);
        SetForegroundWindow(hwnd_);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    static constexpr std::array<const wchar_t*, 3> kLanguageNames{L"zh-Hans", L"zh-Hant", L"en"};
    static constexpr std::array<const wchar_t*, kShotsPerLanguage> kTabNames{
        L"main", L"center", L"sub", L"music", L"mic", L"echo", L"reverb", L"system", L"wifi"};
    wchar_t name[96];
    std::swprintf(name, 96, L"vela-%ls-%d-%ls.png", kLanguageNames[static_cast<std::size_t>(language)], tab,
                  kTabNames[static_cast<std::size_t>(tab)]);
    const std::filesystem::path path = std::filesystem::path(options_.screenshots) / name;
    const bool captured = CaptureWindowPng(pictured, path.wstring());
    wifi_shot_.reset();
    if (!captured) {
        FinishScreenshots(1, L"could not write " + path.wstring());
        return;
    }
    ++screenshot_step_;
}

void CZR305M2Dlg::FinishScreenshots(int result, const std::wstring& message) {
    KillTimer(hwnd_, kScreenshotTimer);
    screenshot_step_ = -1;
    screenshot_result_ = result;
    WriteRunReport(options_.screenshots, result == 0 ? L"ok" : L"failed: " + message);
    // The exit question is answered by the unattended responder.
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// ---------------------------------------------------------------- the controls as the map sees them

double CZR305M2Dlg::Faders::Value(int fader) {
    return w_.MasterFader(fader).GetValue();
}

void CZR305M2Dlg::Faders::SetValue(int fader, double value) {
    w_.MasterFader(fader).SetValue(value);
}

void CZR305M2Dlg::Faders::SetCaption(int fader, std::wstring_view caption) {
    w_.MasterFader(fader).SetCaption(std::wstring(caption));
}

double CZR305M2Dlg::Faders::UpperLimit(int fader) {
    return w_.MasterFader(fader).UpperLimit();
}

void CZR305M2Dlg::Faders::SetNote(int fader, std::wstring_view note) {
    w_.MasterFader(fader).SetNote(std::wstring(note));
}

double CZR305M2Dlg::Faders::MaxLevel(int fader) {
    // The System page's sliders show these parameters; until a device's table has been read there is no
    // maximum.
    const std::uint16_t index = layout::kMasterMaxLevelParameters[static_cast<std::size_t>(fader)];
    return w_.max_levels_known_ ? static_cast<double>(w_.link_.Table().Value(index))
                                : w_.MasterFader(fader).UpperLimit();
}

int CZR305M2Dlg::Source::Selection() {
    return w_.music_source_.GetItem();
}

void CZR305M2Dlg::Source::Select(int position) {
    w_.music_source_.SetItem(position);
}

int CZR305M2Dlg::Modes::Check(int button) {
    return w_.TitleButton(button).GetCheck();
}

void CZR305M2Dlg::Modes::SetCheck(int button, int state) {
    w_.TitleButton(button).SetCheck(state);
}

void CZR305M2Dlg::Modes::SetCaption(int button, std::wstring_view caption) {
    w_.TitleButton(button).SetCaption(std::wstring(caption));
}

void CZR305M2Dlg::Modes::SetEnabled(int button, bool enabled) {
    w_.TitleButton(button).SetEnabled(enabled);
}

void CZR305M2Dlg::Modes::SetOutputPagesEnabled(bool enabled) {
    w_.output_pages_enabled_ = enabled;
    for (int tab : {0, 1, 2, kRearTab}) {
        if (CPageWindow* page = w_.PageForTab(tab); page && page->Hwnd()) {
            EnableWindow(page->Hwnd(), enabled);
        }
    }
}

MessageAnswer CZR305M2Dlg::Messages::Show(std::wstring_view text, std::wstring_view caption,
                                          MessageButtons buttons) {
    // The window's own messages without a caption ("No duplicate content!", "Automatic mode is adjusted!")
    // carry the system's default one.
    return ShowMessageFor(w_.hwnd_, text, caption, buttons, LanguageIndex());
}

LRESULT CZR305M2Dlg::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto handled = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *handled;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

}  // namespace vela
