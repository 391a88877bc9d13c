// CZR305M2Dlg: the main window. Title area with its buttons and the link state, the tab row, the master
// faders and the music source, the nine pages; the receiver of the pages', the link's and the tray icon's
// notifications. Owns the link (device, transport, worker) for the life of the window.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "core/link/device_link.h"
#include "core/link/hid_transport.h"
#include "core/link/link_controller.h"
#include "core/link/wifi_slots.h"
#include "core/model/parameter_map.h"
#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "core/ui/main_layout.h"
#include "core/update/online_update.h"
#include "core/update/update_log.h"
#include "devices/link_stack.h"
#include "gui/app/device_watch_win32.h"
#include "gui/app/gui_link_host_win32.h"
#include "gui/app/screenshot_run_win32.h"
#include "gui/app/tray_icon_win32.h"
#include "gui/app/undo_bar_win32.h"
#include "gui/controls/combo_label_win32.h"
#include "gui/controls/image_button_win32.h"
#include "gui/controls/progress_dialog_win32.h"
#include "gui/controls/value_control_win32.h"
#include "gui/pages/page_window_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/pages/system_page_win32.h"
#include "gui/pages/wifi_dialog_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/mem_dc_win32.h"
#include "gui/win/tooltip_win32.h"
#include "gui/win/window_win32.h"
#include "platform/update_network.h"
#include "platform/update_system_win32.h"
#include "res/resource.h"

namespace vela {

// Title-area buttons by index.
inline constexpr int kTrayButton = 0;
inline constexpr int kMaximiseButton = 1;
inline constexpr int kCloseButton = 2;
inline constexpr int kLinkStateButton = 3;

// Tabs by index; 8 has no page and 8 and 9 are never on screen.
inline constexpr int kRearTab = layout::kRearPage;
inline constexpr int kPageCount = 9;
// Tabs 0..7 are switched by the user; the Rear page is shown with the Main page's tab.
inline constexpr int kLastSwitchableTab = 7;

// The background stores: Main (every page but two), Mic, System.
inline constexpr std::array<int, 3> kBackgroundIds{IDB_BACKGROUND_MAIN, IDB_BACKGROUND_MIC,
                                                   IDB_BACKGROUND_SYSTEM};
inline constexpr std::size_t kMainBackground = 0;
inline constexpr std::size_t kMicBackground = 1;
inline constexpr std::size_t kSystemBackground = 2;
// Tab captions; 8 has none and 9 is the Rear page.
inline constexpr std::array<int, kTabCount> kTabTexts{str::kMain, str::kCenter, str::kSub,    str::kMusic,
                                                      str::kMic,  str::kEcho,   str::kReverb, str::kSystem,
                                                      -1,         str::kRear};

// The title of the window and the name of the single-instance mutex.
inline constexpr const wchar_t* kWindowTitle = kProductTitle;
inline constexpr wchar_t kInstanceMutexName[] = L"OrnZR305__xxxx";
// A property on the main window by which a second start finds the running one.
inline constexpr wchar_t kMainWindowProperty[] = L"vela.main-window";

class CZR305M2Dlg final : public CDialogWindow {
  public:
    explicit CZR305M2Dlg(const VelaOptions& options);
    ~CZR305M2Dlg() override;

    // --- For the application object and tests ---
    DeviceLink& Link() { return link_; }
    IHidDevice& Device() { return stack_.Device(); }
    LinkController* Controller() { return stack_.Controller(); }
    WifiSlots& Wifi() { return stack_.Wifi(); }
    ParameterMap& Map() { return map_; }
    CUndoBar& UndoBar() { return undo_bar_; }
    CJinDuTiao& ProgressDialog() { return progress_; }
    CGDI_Button& TitleButton(int i) { return title_buttons_[static_cast<std::size_t>(i)]; }
    CGDI_Button& Tab(int i) { return tabs_[static_cast<std::size_t>(i)]; }
    CEA_Lum2& MasterFader(int i) { return faders_[static_cast<std::size_t>(i)]; }
    CLum_ComboBox& MusicSource() { return music_source_; }
    std::wstring MusicSourceNote() const { return source_adapter_.Note(); }
    Clum_CStatic& ModelLabel() { return model_label_; }
    Clum_CStatic& MusicInputCaption() { return music_input_caption_; }
    // Pages by tab index (0..7 and 9); nullptr for tab 8.
    CPageWindow* PageForTab(int tab);
    void VeilUntilLoaded(bool veiled);
    CWinSystem& SystemWindow() { return *system_; }
    const std::optional<MainLayout>& Layout() const { return layout_; }
    CDeviceWatch& DeviceWatch() { return device_watch_; }
    int CurrentTab() const { return current_tab_; }
    bool OutputPagesEnabled() const { return output_pages_enabled_; }
    bool TrayIconShown() const { return tray_.Shown(); }
    // Set once the link has been stopped by the close path.
    bool Closed() const { return closed_; }
    // Set once the link's display update after connecting has pushed the table into the controls.
    bool DisplayLoaded() const { return display_loaded_; }
    // The online update check; nothing when it was not started (an unattended run).
    update::OnlineUpdate* Update() { return update_.get(); }
    // The result of an unattended screenshot run: 0 done, 1 failed; nothing while it runs.
    std::optional<int> ScreenshotResult() const {
        return screenshots_ ? screenshots_->Result() : std::nullopt;
    }

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM);
    LRESULT OnWindowPosChanging(WPARAM, LPARAM);
    LRESULT OnDpiChanged(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnLButtonDblClk(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnCommand(WPARAM, LPARAM);
    LRESULT OnTrayNotify(WPARAM, LPARAM);
    LRESULT OnShowWindow(WPARAM, LPARAM);
    LRESULT OnTitleButton(WPARAM, LPARAM);
    LRESULT OnTab(WPARAM, LPARAM);
    LRESULT OnMasterFader(WPARAM, LPARAM);
    LRESULT OnMusicSource(WPARAM, LPARAM);
    LRESULT OnApplyLanguage(WPARAM, LPARAM);
    LRESULT OnClampMasterLevels(WPARAM, LPARAM);
    LRESULT OnUpdateExit(WPARAM, LPARAM);
    LRESULT OnLinkNotify(WPARAM, LPARAM);
    LRESULT OnUndoBar(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    static const MessageRow<CZR305M2Dlg> kMessageMap[];

    // The main window's own controls as the parameter map sees them.
    class Adapter {
      public:
        explicit Adapter(CZR305M2Dlg& w) : w_(w) {}

      protected:
        CZR305M2Dlg& w_;
    };
    class Faders final : public IMasterFaders, Adapter {
      public:
        using Adapter::Adapter;
        double Value(int fader) override;
        void SetValue(int fader, double value) override;
        void SetCaption(int fader, std::wstring_view caption) override;
        double MaxLevel(int fader) override;
        double UpperLimit(int fader) override;
        void SetNote(int fader, std::wstring_view note) override;
    };
    class Source final : public IMusicSourceSelector, Adapter {
      public:
        using Adapter::Adapter;
        int Selection() override;
        void Select(int position) override;
        void SetNote(std::wstring_view note) override;
        std::wstring Note() const;

      private:
        ToolTip notes_{ToolTip::kNoteWidth};
    };
    class Modes final : public IModeButtons, Adapter {
      public:
        using Adapter::Adapter;
        int Check(int button) override;
        void SetCheck(int button, int state) override;
        void SetCaption(int button, std::wstring_view caption) override;
        void SetEnabled(int button, bool enabled) override;
        void SetOutputPagesEnabled(bool enabled) override;
    };
    class Messages final : public IUserMessages, Adapter {
      public:
        using Adapter::Adapter;
        MessageAnswer Show(std::wstring_view text, std::wstring_view caption,
                           MessageButtons buttons) override;
    };
    MappedControls Mapped();

    void CreatePages();
    void ApplyLayout(int width, int height);
    // The client size the current layout was computed for: a size is laid out once.
    SIZE laid_out_for_{};
    void CreateControls();
    void Reskin();
    void SwitchToTab(int tab);
    void ShowLinkState(int text);
    void StopLinkNow();
    void StartOnlineUpdate();

    VelaOptions options_;

    // The link: clock, table and state, the device and its transport, the Wi-Fi slots, the worker.
    SystemClock clock_;
    LinkStack stack_;
    DeviceLink& link_;
    CJinDuTiao progress_;
    std::unique_ptr<CGuiLinkHost> host_;
    // The update thread uses the host: declared after it, so that it is stopped first.
    // Outlives the link and the update thread that report to it.
    std::unique_ptr<diag::EventLog> log_;
    SocketUpdateNetwork update_network_;
    std::unique_ptr<update::LoggedUpdateNetwork> logged_network_;
    std::unique_ptr<WinUpdateSystem> update_system_;
    std::unique_ptr<update::OnlineUpdate> update_;

    // Backgrounds 134, 159, 160 as loaded, and stretched to the client size.
    std::array<CMemDcClass, 3> originals_;
    std::array<CMemDcClass, 3> backgrounds_;
    CMemDcClass canvas_;

    std::array<CGDI_Button, kTitleButtonCount> title_buttons_;
    std::array<CGDI_Button, kTabCount> tabs_;
    std::array<CEA_Lum2, kMasterFaderCount> faders_;
    Clum_CStatic music_input_caption_;
    Clum_CStatic model_label_;
    CLum_ComboBox music_source_;

    std::array<std::unique_ptr<CWinOut>, 4> outputs_;  // Main, Center, Sub, Rear
    std::array<std::unique_ptr<CWinIn>, 2> inputs_;    // Music, Mic
    std::array<std::unique_ptr<CWinEffect>, 2> effects_;
    std::unique_ptr<CWinSystem> system_;

    Faders fader_adapter_{*this};
    Source source_adapter_{*this};
    Modes mode_adapter_{*this};
    Messages message_adapter_{*this};
    ParameterMap map_;
    CUndoBar undo_bar_{link_, map_, message_adapter_, [this] { return stack_.Identity(); }};

    HICON icon_ = nullptr;
    UniqueIcon small_icon_;
    LayoutVisibility visibility_;
    std::optional<MainLayout> layout_;
    bool controls_created_ = false;
    bool first_paint_done_ = false;
    bool output_pages_enabled_ = true;
    bool closed_ = false;
    bool asking_exit_ = false;
    int current_tab_ = -1;

    CTrayIcon tray_;
    std::unique_ptr<CScreenshotRun> screenshots_;
    // A scene file's name and state, a server's refusal: in the title and told once.
    CDeviceWatch device_watch_{stack_, [this](const std::wstring& title) {
                                   SetWindowTextW(hwnd_, title.c_str());
                                   model_label_.SetCaption(title);
                               }};
    bool display_loaded_ = false;
    bool awaiting_table_ = false;
    // The table has held a device's Max levels since its first complete read; while searching it keeps the
    // last device's, so a level dragged then is held to them too.
    bool max_levels_known_ = false;
};

}  // namespace vela
