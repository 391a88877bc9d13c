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
#include "core/link/link_schedule.h"
#include "core/text/strings.h"
#include "core/ui/text_layout.h"
#include "gui/app/about_box_win32.h"
#include "gui/app/close_flush_win32.h"
#include "gui/app/diag_log_win32.h"
#include "gui/app/main_window_tips_win32.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "gui/win/window_messages_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

static_assert(layout::kMasterMaxLevelParameters.size() == kMasterFaderCount);

constexpr int kAboutCorner = 9;
constexpr DWORD kCloseSettleMs = 30;

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
    {IDC_TITLE_BUTTON, 0, &CZR305M2Dlg::OnTitleButton},
    {IDC_TAB, 0, &CZR305M2Dlg::OnTab},
    {IDC_MASTER_FADER + 0, 0, &CZR305M2Dlg::OnMasterFader},
    {IDC_MASTER_FADER + 1, 0, &CZR305M2Dlg::OnMasterFader},
    {IDC_MASTER_FADER + 2, 0, &CZR305M2Dlg::OnMasterFader},
    {IDC_MASTER_FADER + 3, 0, &CZR305M2Dlg::OnMasterFader},
    {IDC_MUSIC_SOURCE, 0, &CZR305M2Dlg::OnMusicSource},
    {UM_APPLY_LANGUAGE, 0, &CZR305M2Dlg::OnApplyLanguage},
    {UM_CLAMP_MASTER_LEVELS, 0, &CZR305M2Dlg::OnClampMasterLevels},
    {UM_UPDATE_EXIT, 0, &CZR305M2Dlg::OnUpdateExit},
    {UM_LINK_NOTIFY, 0, &CZR305M2Dlg::OnLinkNotify},
    {UM_UNDO_BAR, 0, &CZR305M2Dlg::OnUndoBar},
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
    system_->Model().SetBeforeBulkChange(
        [this](StepKind kind) { undo_bar_.Actions().BeforeBulkChange(kind); });
    system_->Model().RecordInto(&undo_bar_.Actions().History());
    icon_ = LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_VELA));
}

CZR305M2Dlg::~CZR305M2Dlg() {
    StopLinkNow();
    tray_.Remove();
    Destroy();
}

MappedControls CZR305M2Dlg::Mapped() {
    // The map holds the strip pages, so they exist before it.
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        static constexpr std::array<int, 4> kIds{layout::kMainPage, layout::kCenterPage, layout::kSubPage,
                                                 layout::kRearPage};
        outputs_[i] = std::make_unique<CWinOut>(kIds[i]);
    }
    inputs_[0] = std::make_unique<CWinIn>(layout::kMusicPage);
    inputs_[1] = std::make_unique<CWinIn>(layout::kMicPage);
    effects_[0] = std::make_unique<CWinEffect>(layout::kEchoPage);
    effects_[1] = std::make_unique<CWinEffect>(layout::kReverbPage);
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
        case layout::kMainPage:
        case layout::kCenterPage:
        case layout::kSubPage:
            return outputs_[static_cast<std::size_t>(tab - layout::kMainPage)].get();
        case layout::kMusicPage:
        case layout::kMicPage:
            return inputs_[static_cast<std::size_t>(tab - layout::kMusicPage)].get();
        case layout::kEchoPage:
        case layout::kReverbPage:
            return effects_[static_cast<std::size_t>(tab - layout::kEchoPage)].get();
        case layout::kSystemPage:
            return system_.get();
        case layout::kRearPage:
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
    undo_bar_.SetProgressHost(host_.get());
    system_->Model().SetFileDevice(stack_.File().has_value());
    device_watch_.Start(hwnd_, options_.device.kind == DeviceSpec::Kind::kFile ||
                                   options_.device.kind == DeviceSpec::Kind::kTcp);

    link_.SetSendSwitch(true);
    output_pages_enabled_ = true;
    VeilUntilLoaded(true);

    PostMessageW(hwnd_, UM_APPLY_LANGUAGE, 0, 0);
    PostMessageW(hwnd_, IDC_TAB, 0, 0);
    StartOnlineUpdate();

    if (!options_.screenshots.empty()) {
        screenshots_ =
            std::make_unique<CScreenshotRun>(*this, options_.screenshots, options_.screenshot_timeout_s);
        screenshots_->Start();
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

// ---------------------------------------------------------------- mouse, keyboard, tray

LRESULT CZR305M2Dlg::OnLButtonDown(WPARAM wparam, LPARAM lparam) {
    const int x = GET_X_LPARAM(lparam);
    const int y = GET_Y_LPARAM(lparam);
    if (x <= kAboutCorner && y <= kAboutCorner) {
        ShowAboutBox(message_adapter_);
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

LRESULT CZR305M2Dlg::OnTrayNotify(WPARAM, LPARAM lparam) {
    if (lparam == WM_LBUTTONDOWN || lparam == WM_LBUTTONDBLCLK) {
        tray_.Remove();
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
    return 0;
}

LRESULT CZR305M2Dlg::OnShowWindow(WPARAM wparam, LPARAM lparam) {
    // However the window comes back (the icon, or a second start restoring it), it leaves the tray.
    if (wparam != FALSE) {
        tray_.Remove();
    }
    return DefaultProc(WM_SHOWWINDOW, wparam, lparam);
}

// ---------------------------------------------------------------- title buttons, tabs

LRESULT CZR305M2Dlg::OnTitleButton(WPARAM, LPARAM lparam) {
    const int index = static_cast<int>(lparam);
    switch (index) {
        case kTrayButton:
            tray_.Add(hwnd_, icon_);
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
                if (i <= layout::kSubPage) {
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
    for (const std::wstring_view name : kMusicSourceNames) {
        music_source_.AddItem(std::wstring(name));
    }
    music_source_.SetItem(selection);
    for (int i = 0; i < kTabCount; ++i) {
        const int text = kTabTexts[static_cast<std::size_t>(i)];
        if (text >= 0) {
            Tab(i).SetCaption(std::wstring(Text(text)));
        }
    }
    map_.ApplyLanguage();
    undo_bar_.Refresh();
    ApplyMainWindowTips(*this);
    Invalidate();
    return 0;
}

LRESULT CZR305M2Dlg::OnUndoBar(WPARAM wparam, LPARAM) {
    undo_bar_.Command(static_cast<int>(wparam));
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
    undo_bar_.OnLinkNotify(static_cast<LinkNotify>(wparam), lparam);
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
    // Edits still on their way go out first; what cannot go is told, and the user may stay.
    const bool leave = answer == MessageAnswer::kYes &&
                       SettleEditsBeforeClose(hwnd_, TitleButton(kLinkStateButton), stack_, message_adapter_);
    asking_exit_ = false;
    if (!leave) {
        return 0;
    }
    // A second start must not bring back a window that is on its way out.
    RemovePropW(hwnd_, kMainWindowProperty);
    tray_.Remove();
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
    // An unattended run answers every box with OK: it must not accept an update. A file has no firmware.
    if (!options_.screenshots.empty() || system_->Model().FileDevice()) {
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
    tray_.Remove();
    ShowWindow(hwnd_, SW_HIDE);
    StopLinkNow();
    closed_ = true;
    EndDialog(0);
    return 0;
}

LRESULT CZR305M2Dlg::OnDestroy(WPARAM wparam, LPARAM lparam) {
    if (screenshots_) {
        screenshots_->Stop();
    }
    tray_.Remove();
    device_watch_.Stop();
    // A window that goes without the close question still hands over what it holds, in a bounded wait;
    // the link's boxes answer at once meanwhile.
    if (host_)
        host_->CancelWaits();
    if (LinkController* link = stack_.Controller())
        (void)link->SendPendingEdits(schedule::kCloseSendBoundMs);
    // Nothing may reach a window that is going away.
    StopLinkNow();
    RemovePropW(hwnd_, kMainWindowProperty);
    return DefaultProc(WM_DESTROY, wparam, lparam);
}

LRESULT CZR305M2Dlg::OnTimer(WPARAM wparam, LPARAM lparam) {
    if (wparam == CDeviceWatch::kTimer) {
        device_watch_.Tick();
        return 0;
    }
    if (wparam != CScreenshotRun::kTimer || !screenshots_) {
        return DefaultProc(WM_TIMER, wparam, lparam);
    }
    screenshots_->Step();
    return 0;
}

LRESULT CZR305M2Dlg::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto handled = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *handled;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

}  // namespace vela
