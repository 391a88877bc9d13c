// The System page apart from its window: what each code does to which control, what each control writes
// into the parameter table, which request it raises and which message it shows. The Win32 page creates,
// lays out and paints the controls and forwards their notifications here.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/file_data.h"
#include "core/link/device_link.h"
#include "core/link/seams.h"
#include "core/model/parameter_map.h"
#include "core/pages/system_page_rules.h"
#include "res/resource.h"

namespace vela {

// Template controls of the page (dialog ids).
namespace system_ids {
inline constexpr int kKeyPassword = IDC_KEY_PASSWORD;
inline constexpr int kNewKeyPassword = IDC_NEW_KEY_PASSWORD;
inline constexpr int kKeyEnable = IDC_KEY_ENABLE;
inline constexpr int kKeyDisable = IDC_KEY_DISABLE;
inline constexpr int kSystemPassword = IDC_SYSTEM_PASSWORD;
inline constexpr int kOldPassword = IDC_OLD_PASSWORD;
inline constexpr int kNewPassword = IDC_NEW_PASSWORD;
inline constexpr int kConfirmPassword = IDC_CONFIRM_PASSWORD;
inline constexpr int kSceneList = IDC_SCENE_LIST;
inline constexpr int kSceneName = IDC_SCENE_NAME;
inline constexpr int kLanguageList = IDC_LANGUAGE_LIST;
inline constexpr int kPowerOnList = IDC_POWER_ON_LIST;
inline constexpr int kLocalFile = IDC_LOCAL_FILE;
inline constexpr int kMusicGate = IDC_MUSIC_GATE;
inline constexpr int kMicGate = IDC_MIC_GATE;
// The hidden default push button: Enter in an edit clicks it, and it does nothing.
inline constexpr int kEnterSink = IDC_ENTER_SINK;
}  // namespace system_ids

// Value controls by index.
namespace system_value {
enum Index : int { kMusicThreshold = 8, kMicThreshold, kKeyShift, kMicVolA, kMicVolB, kCount };
}  // namespace system_value

// Image buttons by index.
namespace system_button {
enum Index : int {
    kCheckSystemPassword,
    kCheckKeyPassword,
    kChangeKeyPassword,
    kUseScene,
    kSaveScene,
    kResetPasswords,
    kChangeSystemPassword,
    kSaveLocal,
    kDeleteLocal,
    kUpdateToDevice,
    kWifi,
    kImport,
    kSaveAs,
    kOpen,
    kCount
};
}  // namespace system_button

// Captions beside the template's edits, lists and check boxes, by index.
namespace system_label {
enum Index : int {
    kKeyPassword,
    kNewKeyPassword,
    kKeyEnable,
    kKeyDisable,
    kSystemPassword,
    kOldPassword,
    kNewPassword,
    kConfirmPassword,
    kSceneNumber,
    kSceneName,
    kLanguage,
    kPowerOn,
    kLocalFile,
    kMusicGateEnable,
    kMicGateEnable,
    kMusicGate,
    kMicGate,
    kCount
};
}  // namespace system_label

// The codes of the page's controls other than the eight volumes (codes 0..7).
namespace system_code {
inline constexpr int kKeyShiftCode = 12;
inline constexpr int kMicVolACode = 13;
inline constexpr int kMicVolBCode = 14;
inline constexpr int kMicGateCode = 15;
inline constexpr int kMusicGateCode = 16;
inline constexpr int kKeyPasswordSwitchCode = 19;
inline constexpr int kCurrentSceneCode = 22;
inline constexpr int kSceneRequestCode = 23;
inline constexpr int kPowerOnCode = 11;
inline constexpr int kMicThresholdCode = 8;
inline constexpr int kMusicThresholdCode = 9;
}  // namespace system_code

// Code 25 rewrites every fixed text; ParameterMap relabels codes 0..25.
inline constexpr int kSystemFixedTextCode = 25;

// The system's file dialogs for a scene file anywhere: where to save one, which one to load.
enum class SceneFileDialog { kSave, kOpen };

// What the rules need of the page's window.
class ISystemControls {
  public:
    virtual ~ISystemControls() = default;
    virtual void SetPosition(int control, int position) = 0;
    virtual void SetValueCaption(int control, const std::wstring& caption) = 0;
    virtual void SetLabelCaption(int label, const std::wstring& caption) = 0;
    virtual void EnableLabel(int label, bool enabled) = 0;
    virtual void SetButtonCaption(int button, const std::wstring& caption) = 0;
    virtual void EnableButton(int button, bool enabled) = 0;
    // Template controls by dialog id.
    virtual std::wstring ItemText(int id) = 0;
    virtual void SetItemText(int id, const std::wstring& text) = 0;
    virtual void EnableItem(int id, bool enabled) = 0;
    virtual bool Checked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    // Lists: the selected item (-1 none), and the items.
    virtual int Selection(int id) = 0;
    virtual void Select(int id, int item) = 0;
    virtual void FillList(int id, const std::vector<std::wstring>& items) = 0;

    // A localized message box without a caption of its own unless one is given.
    virtual MessageAnswer Show(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) = 0;
    // Sends 22624 to the main window.
    virtual void LanguageChanged(int language) = 0;
    // Posts 22824 to the main window.
    virtual void MaximumChanged() = 0;
    // The file-open dialog for an external parameter file; nothing when cancelled.
    virtual std::optional<std::wstring> ChooseParameterFile() = 0;
    // The scene file chosen in the system's dialog (the save dialog has asked about replacing a file);
    // nothing when cancelled.
    virtual std::optional<std::wstring> ChooseSceneFile(SceneFileDialog dialog) = 0;
    virtual void OpenWifiDialog() = 0;
    // Why a control is off, shown over it; empty takes the note away. Buttons by index, template controls
    // by dialog id.
    virtual void SetButtonOffNote(int /*button*/, const std::wstring& /*note*/) {}
    virtual void SetItemOffNote(int /*id*/, const std::wstring& /*note*/) {}
    // A value control's note that the device holds a value the control cannot show; empty takes it away.
    virtual void SetValueNote(int /*control*/, const std::wstring& /*note*/) {}
};

// What the link controller is given before a request is raised.
class ISceneRequests {
  public:
    virtual ~ISceneRequests() = default;
    virtual void SetScenePath(const std::filesystem::path& path) = 0;
    virtual void SetSelection(std::vector<std::uint16_t> indexes) = 0;
    virtual void SetSceneNameBuffer(const std::string& ansi_name) = 0;
};

class SystemPage : public ICodePage {
  public:
    SystemPage(DeviceLink& link, ISceneRequests& requests, FileLocations files, ISystemControls& controls);

    // Lists filled and selected, disabled states applied, every control placed and captioned.
    void Initialise();

    int GetCodeValue(int code) override;
    void SetCodeValue(int code, int raw) override;
    void UpdateCodeText(int code) override;

    // Notifications of the page's controls; a value control's with where it stands now.
    void OnValueControl(int control, int position);
    void OnButton(int button);
    // A template control was clicked or chose an item (dialog id).
    void OnItem(int id);

    // The local scene files as listed now.
    std::vector<std::wstring> LocalFiles() const;

    // A scene file opened as the processor has no scenes of a device and no Wi-Fi module: their controls are
    // off and say why.
    void SetFileDevice(bool file);
    bool FileDevice() const { return file_device_; }
    // Told just before a scene recall or a scene-file load is asked of the link, so it can be undone.
    void SetBeforeBulkChange(std::function<void(StepKind)> told) { before_bulk_change_ = std::move(told); }
    // Where the user's edits of the page's parameters are recorded for undo; nothing records them without
    // it. Passwords are left out: an undo must not restore an old password without its check.
    void RecordInto(EditHistory* history) { history_ = history; }

  private:
    void Write(std::uint16_t index, int value, bool mark = true);
    // A user's change of a parameter shown at code: recorded for undo, then written. A drag or a burst of
    // one control is one step; a choice (check box, radio button, list) is always a step of its own.
    void Edit(int code, std::uint16_t index, int value);
    void Choose(int code, std::uint16_t index, int value);
    // Where a value control stands, as the page placed it or was told.
    int At(int control) const;
    void Place(int control, int position);
    void NoteDeviceValue(int code, int raw);
    void ShowKeySwitch(bool enabled);
    std::uint16_t Parameter(std::uint16_t index) const;
    void Tell(std::wstring_view text, std::wstring_view caption = {},
              MessageButtons buttons = MessageButtons::kOk);
    void RewriteFixedTexts();
    void FillLocalFiles(const std::wstring& select);
    void FillSceneList();
    int SceneItem();
    void ShowSceneNames();

    void CheckKeyPassword();
    void ChangeKeyPassword();
    void CheckSystemPassword();
    void ChangeSystemPassword();
    void SaveDeviceScene();
    void SaveLocal();
    void DeleteLocal();
    void UpdateToDevice();
    void Import();
    void SaveAs();
    void OpenFile();
    // A recently used file the list shows by its full path; nothing for any other text.
    std::optional<std::filesystem::path> RecentPath(const std::wstring& shown) const;
    void Remember(const std::filesystem::path& path);
    // The local file the typed name stands for: in the current folder, else in the local scene folder;
    // nothing (after telling why) when the name is not a plain file name.
    std::optional<std::filesystem::path> LocalPath(std::wstring_view empty_text);
    // Reads the file before anything is raised: a file that is not a scene file is refused here.
    bool SceneFileReadable(const std::filesystem::path& path);
    void BeforeBulkChange(StepKind kind) {
        if (before_bulk_change_) {
            before_bulk_change_(kind);
        }
    }

    DeviceLink& link_;
    ISceneRequests& requests_;
    FileLocations files_;
    ISystemControls& controls_;
    std::function<void(StepKind)> before_bulk_change_;
    EditHistory* history_ = nullptr;
    system_page::VolumeLimits limits_;
    int shown_current_scene_ = -1;  // the device's current scene as last reported
    // The name last put in the scene name box: a box that holds anything else holds the user's typing.
    std::wstring shown_scene_name_;
    // What the controls show.
    std::array<int, system_value::kCount> positions_{};
    bool music_gate_ = false;
    bool mic_gate_ = false;
    bool key_enabled_ = false;
    bool file_device_ = false;
    // The controls a file turns off, enabled or not with their notes in the current language.
    void ApplyFileDevice();
    // True (after saying why) when a file has no use for this button.
    bool RefusedForFile(int button);
};

}  // namespace vela
