// CWinSystem: the System page's window. Its controls are created, laid out and painted here; what each
// code and control does is the portable SystemPage.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/link/link_controller.h"
#include "core/link/wifi_slots.h"
#include "core/pages/system_page.h"
#include "gui/controls/combo_label_win32.h"
#include "gui/controls/image_button_win32.h"
#include "gui/controls/value_control_win32.h"
#include "gui/pages/page_window_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/tooltip_win32.h"

namespace vela {

class CWin_Wifi;

class CWinSystem : public CPageWindow, private ISystemControls, private ISceneRequests {
  public:
    static constexpr int kValueId = 3024;
    static constexpr int kButtonId = 5024;
    static constexpr int kLabelId = 4024;

    // `controller` gives the link controller once the link runs (nothing before).
    CWinSystem(DeviceLink& link, std::function<LinkController*()> controller, WifiSlots& wifi,
               FileLocations files);
    ~CWinSystem() override { Destroy(); }

    SystemPage& Model() { return model_; }
    bool ControlsCreated() const { return created_; }
    CEA_Lum2& ValueControl(int i) { return values_.at(static_cast<std::size_t>(i)); }
    CGDI_Button& Button(int i) { return buttons_.at(static_cast<std::size_t>(i)); }
    Clum_CStatic& Label(int i) { return labels_.at(static_cast<std::size_t>(i)); }
    // The group frames in client coordinates, as last laid out.
    const std::vector<RECT>& Frames() const { return frames_; }

    // For tests and the unattended run: what the file-open dialog and the Wi-Fi button do instead of
    // showing a modal window.
    void SetFileChooser(std::function<std::optional<std::wstring>()> chooser) {
        chooser_ = std::move(chooser);
    }
    void SetWifiOpener(std::function<void()> opener) { wifi_opener_ = std::move(opener); }
    // What the scene file dialogs ("Save As...", "Open...") answer instead of showing the system's.
    void SetSceneFileChooser(std::function<std::optional<std::wstring>(SceneFileDialog)> chooser) {
        scene_chooser_ = std::move(chooser);
    }
    WifiSlots& Wifi() { return wifi_; }
    const FileLocations& Files() const { return files_; }
    // Why a control is off (a scene file has no device scenes), as its tooltip holds it.
    std::wstring OffNote(HWND control) const { return off_notes_.Text(control); }
    // The tip of a template control (edit, list, check box) by dialog id, as its tooltip holds it.
    std::wstring ItemTip(int id) const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void PaintControls(HDC picture) override;

  private:
    void CreateControls();
    void Layout(int width, int height);
    // The etched frames around each group of controls.
    void LayoutFrames(const PageScale& scale);
    LRESULT OnCtlColor(WPARAM wparam);
    // Every control's tip in the current language.
    void ApplyTips();

    // Where a value control stands, read once on its notification.
    int Position(int control);
    void SetPosition(int control, int position) override;
    void SetValueCaption(int control, const std::wstring& caption) override;
    void SetValueNote(int control, const std::wstring& note) override;
    void SetLabelCaption(int label, const std::wstring& caption) override;
    void EnableLabel(int label, bool enabled) override;
    void SetButtonCaption(int button, const std::wstring& caption) override;
    void EnableButton(int button, bool enabled) override;
    std::wstring ItemText(int id) override;
    void SetItemText(int id, const std::wstring& text) override;
    void EnableItem(int id, bool enabled) override;
    bool Checked(int id) override;
    void SetChecked(int id, bool checked) override;
    int Selection(int id) override;
    void Select(int id, int item) override;
    void FillList(int id, const std::vector<std::wstring>& items) override;
    MessageAnswer Show(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) override;
    void LanguageChanged(int language) override;
    void MaximumChanged() override;
    std::optional<std::wstring> ChooseParameterFile() override;
    std::optional<std::wstring> ChooseSceneFile(SceneFileDialog dialog) override;
    void OpenWifiDialog() override;
    void SetButtonOffNote(int button, const std::wstring& note) override;
    void SetItemOffNote(int id, const std::wstring& note) override;

    void SetScenePath(const std::filesystem::path& path) override;
    void SetSelection(std::vector<std::uint16_t> indexes) override;
    void SetSceneNameBuffer(const std::string& ansi_name) override;

    DeviceLink& link_;
    std::function<LinkController*()> controller_;
    WifiSlots& wifi_;
    FileLocations files_;
    SystemPage model_;
    std::function<std::optional<std::wstring>()> chooser_;
    std::function<void()> wifi_opener_;
    std::function<std::optional<std::wstring>(SceneFileDialog)> scene_chooser_;
    CWin_Wifi* wifi_dialog_ = nullptr;  // the open one

    std::array<CEA_Lum2, system_value::kCount> values_;
    std::array<CGDI_Button, system_button::kCount> buttons_;
    std::array<Clum_CStatic, system_label::kCount> labels_;
    std::array<bool, system_label::kCount> label_enabled_{};
    ToolTip item_tips_;  // the template controls' tips; the skinned controls carry their own
    UniqueBrush dark_brush_;
    // The group frames, in client coordinates, computed on size.
    std::vector<RECT> frames_;
    bool created_ = false;
    ToolTip off_notes_{ToolTip::kNoteWidth};
};

}  // namespace vela
