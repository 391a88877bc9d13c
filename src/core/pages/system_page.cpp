#include "core/pages/system_page.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/files/recent_files.h"
#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "core/text/text_format.h"

namespace vela {

namespace {

namespace fs = std::filesystem;
namespace sp = system_page;
namespace ids = system_ids;
namespace button = system_button;
namespace label = system_label;
namespace value = system_value;
using namespace system_code;

struct LabelText {
    int text;
    int prefix = -1;  // a table text shown before it
    std::wstring_view suffix = {};
};
constexpr std::array<LabelText, label::kCount> kLabels{{
    {str::kKeyPassword},
    {str::kNewKeyPassword},
    {str::kEnable},
    {str::kDisable},
    {str::kSystemPassword},
    {str::kOldPassword},
    {str::kNewSystemPassword},
    {str::kConfirmPassword},
    {str::kSceneNumber},
    {str::kSceneName},
    {str::kLanguage},
    {str::kPowerOnInput, -1, L":"},
    {str::kLocalSceneName},
    {str::kEnable},
    {str::kEnable},
    {str::kNoiseGate, str::kMusic},
    {str::kNoiseGate, str::kMic},
}};

constexpr std::array<int, button::kImport + 1> kButtonTexts{
    str::kOkSystemPassword, str::kOkKeyPassword,  str::kChange,
    str::kUseScene,         str::kSave,           str::kReset,
    str::kOkChangePassword, str::kSaveSceneLocal, str::kDeleteLocal,
    str::kUpdateToDevice,   str::kWifiSet,        str::kExternalImport};
// The buttons after those, whose texts are not in the numbered table.
constexpr std::array<const LocalizedString*, button::kCount - kButtonTexts.size()> kMoreButtonTexts{
    &extra::kSaveSceneAs, &extra::kOpenSceneFile};

// The check boxes and radio buttons take their captions from the labels beside them.
constexpr std::array<int, 4> kCaptionlessChecks{ids::kKeyEnable, ids::kKeyDisable, ids::kMusicGate,
                                                ids::kMicGate};
constexpr std::array<int, 3> kSystemPasswordEdits{ids::kOldPassword, ids::kNewPassword,
                                                  ids::kConfirmPassword};
constexpr std::array<int, 3> kSystemPasswordLabels{label::kOldPassword, label::kNewPassword,
                                                   label::kConfirmPassword};

// The device's name for the scene; a scene it gave no name keeps the generic one.
std::wstring SceneItemText(int item, std::wstring_view name) {
    return std::to_wstring(item + 1) + L"-" + (name.empty() ? std::wstring(L"SYSTEM") : PrintableText(name));
}

// "Music" before "Noise Gate:": a space between two words of Latin letters, none between Chinese ones.
std::wstring Joined(std::wstring_view prefix, std::wstring_view text) {
    const auto latin = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    std::wstring joined(prefix);
    if (!prefix.empty() && !text.empty() && latin(prefix.back()) && latin(text.front())) {
        joined += L' ';
    }
    joined += text;
    return joined;
}

}  // namespace

SystemPage::SystemPage(DeviceLink& link, ISceneRequests& requests, FileLocations files,
                       ISystemControls& controls)
    : link_(link), requests_(requests), files_(std::move(files)), controls_(controls) {}

void SystemPage::Initialise() {
    std::vector<std::wstring> languages;
    for (int l = 0; l < kLanguageCount; ++l) {
        languages.emplace_back(TextIn(str::kLanguageNames, l));
    }
    controls_.FillList(ids::kLanguageList, languages);
    controls_.Select(ids::kLanguageList, LanguageIndex());
    FillSceneList();
    controls_.Select(ids::kSceneList, 0);
    FillLocalFiles({});

    for (int c = 0; c < sp::kVolumeControls; ++c) {
        Place(c, limits_.Position(c));
    }
    Place(value::kMusicThreshold, 1);
    Place(value::kMicThreshold, 1);
    Place(value::kKeyShift, 0);
    Place(value::kMicVolA, sp::kVolumeTop);
    Place(value::kMicVolB, sp::kVolumeTop);

    // The new keypad password and the system password change wait until the old one has been checked.
    controls_.EnableLabel(label::kNewKeyPassword, false);
    controls_.EnableItem(ids::kNewKeyPassword, false);
    controls_.EnableButton(button::kChangeKeyPassword, false);
    for (std::size_t i = 0; i < kSystemPasswordEdits.size(); ++i) {
        controls_.EnableItem(kSystemPasswordEdits[i], false);
        controls_.EnableLabel(kSystemPasswordLabels[i], false);
    }
    controls_.EnableButton(button::kResetPasswords, false);
    controls_.EnableButton(button::kChangeSystemPassword, false);

    for (int code = 0; code <= kSystemFixedTextCode; ++code) {
        UpdateCodeText(code);
    }
    ApplyFileDevice();
}

std::uint16_t SystemPage::Parameter(std::uint16_t index) const {
    return link_.Table().Value(index);
}

void SystemPage::Write(std::uint16_t index, int value, bool mark) {
    link_.Table().WriteParameter(index, static_cast<std::uint32_t>(value) & 0xFFFF, mark);
}

int SystemPage::At(int control) const {
    return control >= 0 && control < value::kCount ? positions_[static_cast<std::size_t>(control)] : 0;
}

void SystemPage::Place(int control, int position) {
    if (control >= 0 && control < value::kCount)
        positions_[static_cast<std::size_t>(control)] = position;
    controls_.SetPosition(control, position);
}

void SystemPage::ShowKeySwitch(bool enabled) {
    key_enabled_ = enabled;
    controls_.SetChecked(ids::kKeyEnable, enabled);
    controls_.SetChecked(ids::kKeyDisable, !enabled);
}

void SystemPage::Tell(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) {
    controls_.Show(text, caption, buttons);
}

// ---------------------------------------------------------------- codes

int SystemPage::GetCodeValue(int code) {
    if (code >= 0 && code < sp::kVolumeControls) {
        return At(code);
    }
    switch (code) {
        case kMicThresholdCode:
            return sp::GateValue(At(value::kMicThreshold));
        case kMusicThresholdCode:
            return sp::GateValue(At(value::kMusicThreshold));
        case kKeyShiftCode:
            return At(value::kKeyShift);
        case kMicVolACode:
            return At(value::kMicVolA) + sp::kMicVolOffset;
        case kMicVolBCode:
            return At(value::kMicVolB) + sp::kMicVolOffset;
        case kMicGateCode:
            return mic_gate_ ? 1 : 0;
        case kMusicGateCode:
            return music_gate_ ? 1 : 0;
        case kKeyPasswordSwitchCode:
            return key_enabled_ ? 1 : 0;
        default:
            return 0;
    }
}

void SystemPage::SetCodeValue(int code, int raw) {
    if (code >= 0 && code < sp::kVolumeControls) {
        limits_.SetFromDevice(code, raw);
        Place(code, limits_.Position(code));
    }
    switch (code) {
        case kMicThresholdCode:
        case kMusicThresholdCode:
            // A value above the last used entry leaves the control where it is.
            if (const auto p = sp::GatePosition(raw)) {
                Place(code == kMicThresholdCode ? value::kMicThreshold : value::kMusicThreshold, *p);
            }
            break;
        case kPowerOnCode:
            if (const auto item = sp::PowerOnItem(raw)) {
                controls_.Select(ids::kPowerOnList, *item);
            }
            break;
        case kKeyShiftCode:
            Place(value::kKeyShift, std::clamp(raw, 0, kKeyShiftMax));
            break;
        case kMicVolACode:
        case kMicVolBCode:
            Place(code == kMicVolACode ? value::kMicVolA : value::kMicVolB,
                  std::min(raw % sp::kMicVolOffset, sp::kVolumeTop));
            break;
        case kMicGateCode:
            mic_gate_ = raw != 0;
            controls_.SetChecked(ids::kMicGate, mic_gate_);
            break;
        case kMusicGateCode:
            music_gate_ = raw != 0;
            controls_.SetChecked(ids::kMusicGate, music_gate_);
            break;
        case kKeyPasswordSwitchCode:
            ShowKeySwitch(raw == 1);
            break;
        case kCurrentSceneCode:
            // Reported again after every save: only a change of the current scene moves the user's choice.
            if (raw >= 1 && raw <= sp::kSceneCount && raw != shown_current_scene_) {
                controls_.Select(ids::kSceneList, raw - 1);
            }
            shown_current_scene_ = raw;
            break;
        case kSceneRequestCode:
            ShowSceneNames();
            break;
        default:
            break;
    }
    NoteDeviceValue(code, raw);
    UpdateCodeText(code);
}

void SystemPage::UpdateCodeText(int code) {
    if (code >= 0 && code < sp::kVolumeControls) {
        controls_.SetValueCaption(code, FormatWithValue(Text(str::kMusicStart + code), At(code)));
        return;
    }
    switch (code) {
        case kMicThresholdCode:
            controls_.SetValueCaption(value::kMicThreshold,
                                      Joined(Text(str::kMic), FormatWithValue(Text(str::kGateThreshold),
                                                                              At(value::kMicThreshold))));
            break;
        case kMusicThresholdCode:
            controls_.SetValueCaption(value::kMusicThreshold,
                                      Joined(Text(str::kMusic), FormatWithValue(Text(str::kGateThreshold),
                                                                                At(value::kMusicThreshold))));
            break;
        case kKeyShiftCode:
            controls_.SetValueCaption(value::kKeyShift, KeyShiftText(At(value::kKeyShift)));
            break;
        case kMicVolACode:
            controls_.SetValueCaption(value::kMicVolA, MicVolumeText(str::kMicVolA, At(value::kMicVolA)));
            break;
        case kMicVolBCode:
            controls_.SetValueCaption(value::kMicVolB, MicVolumeText(str::kMicVolB, At(value::kMicVolB)));
            break;
        case kSystemFixedTextCode:
            RewriteFixedTexts();
            break;
        default:
            break;
    }
}

void SystemPage::RewriteFixedTexts() {
    for (int l = 0; l < label::kCount; ++l) {
        const LabelText& t = kLabels[static_cast<std::size_t>(l)];
        std::wstring caption = Joined(t.prefix >= 0 ? Text(t.prefix) : std::wstring_view(), Text(t.text));
        caption += t.suffix;
        controls_.SetLabelCaption(l, caption);
    }
    for (std::size_t b = 0; b < kButtonTexts.size(); ++b) {
        controls_.SetButtonCaption(static_cast<int>(b), std::wstring(Text(kButtonTexts[b])));
    }
    for (std::size_t b = 0; b < kMoreButtonTexts.size(); ++b) {
        controls_.SetButtonCaption(static_cast<int>(kButtonTexts.size() + b),
                                   std::wstring(Text(*kMoreButtonTexts[b])));
    }
    for (const int id : kCaptionlessChecks) {
        controls_.SetItemText(id, L"");
    }
    // The language may have been changed elsewhere (a start-up setting, the unattended run).
    controls_.Select(ids::kLanguageList, LanguageIndex());
    const int selection = controls_.Selection(ids::kPowerOnList);
    std::vector<std::wstring> inputs;
    for (const auto& input : sp::kPowerOnInputs) {
        inputs.emplace_back(input.text);
    }
    controls_.FillList(ids::kPowerOnList, inputs);
    controls_.Select(ids::kPowerOnList, selection);
    ApplyFileDevice();
}

void SystemPage::FillSceneList() {
    std::vector<std::wstring> items;
    for (int i = 0; i < sp::kSceneCount; ++i) {
        items.push_back(SceneItemText(i, link_.SceneNames().Name(i)));
    }
    controls_.FillList(ids::kSceneList, items);
}

void SystemPage::ShowSceneNames() {
    const int item = SceneItem();
    FillSceneList();
    controls_.Select(ids::kSceneList, item);
    // Names arrive through a whole load and after every choice; they never replace typing.
    if (controls_.ItemText(ids::kSceneName) == shown_scene_name_) {
        shown_scene_name_ = PrintableText(link_.SceneNames().Name(item));
        controls_.SetItemText(ids::kSceneName, shown_scene_name_);
    }
}

int SystemPage::SceneItem() {
    return std::clamp(controls_.Selection(ids::kSceneList), 0, sp::kSceneCount - 1);
}

std::vector<std::wstring> SystemPage::LocalFiles() const {
    const fs::path current = files_.current_dir.empty() ? fs::path(".") : files_.current_dir;
    return sp::LocalSceneFiles(current, files_.MirrorDirectory());
}

void SystemPage::FillLocalFiles(const std::wstring& select) {
    std::vector<std::wstring> names = LocalFiles();
    // Files saved or opened elsewhere follow the local ones, by their full paths.
    for (const fs::path& recent : RecentFiles::Load(CZB_FileData(files_)).Present()) {
        if (std::find(names.begin(), names.end(), recent.wstring()) == names.end()) {
            names.push_back(recent.wstring());
        }
    }
    if (!select.empty() && std::find(names.begin(), names.end(), select) == names.end()) {
        names.push_back(select);
    }
    controls_.FillList(ids::kLocalFile, names);
    if (select.empty()) {
        controls_.Select(ids::kLocalFile, names.empty() ? -1 : 0);
    } else {
        controls_.Select(ids::kLocalFile,
                         static_cast<int>(std::find(names.begin(), names.end(), select) - names.begin()));
    }
}

// ---------------------------------------------------------------- controls

void SystemPage::OnValueControl(int control, int position) {
    if (control < 0 || control >= value::kCount) {
        return;
    }
    positions_[static_cast<std::size_t>(control)] = position;
    controls_.SetValueNote(control, std::wstring());
    if (control < sp::kVolumeControls) {
        const sp::VolumeChange change = limits_.Change(control, position);
        if (change.maximum_changed) {
            controls_.MaximumChanged();
        }
        if (change.moved_start) {
            Place(*change.moved_start, change.moved_start_position);
            UpdateCodeText(*change.moved_start);
        }
        // A power-on volume dragged above its maximum comes back to it.
        Place(control, limits_.Position(control));
        for (const sp::ParameterWrite& w : change.writes) {
            Edit(control, w.index, w.value);
        }
        UpdateCodeText(control);
        return;
    }
    switch (control) {
        case value::kMusicThreshold:
            Edit(kMusicThresholdCode, sp::kMusicGateThreshold, sp::GateValue(position));
            UpdateCodeText(kMusicThresholdCode);
            break;
        case value::kMicThreshold:
            Edit(kMicThresholdCode, sp::kMicGateThreshold, sp::GateValue(position));
            UpdateCodeText(kMicThresholdCode);
            break;
        case value::kKeyShift:
            Edit(kKeyShiftCode, sp::kKeyShift, position);
            UpdateCodeText(kKeyShiftCode);
            break;
        case value::kMicVolA:
            Edit(kMicVolACode, sp::kMicVolA, position + sp::kMicVolOffset);
            UpdateCodeText(kMicVolACode);
            break;
        case value::kMicVolB:
            Edit(kMicVolBCode, sp::kMicVolB, position + sp::kMicVolOffset);
            UpdateCodeText(kMicVolBCode);
            break;
        default:
            break;
    }
}

void SystemPage::OnItem(int id) {
    switch (id) {
        case ids::kKeyEnable:
        case ids::kKeyDisable:
            ShowKeySwitch(id == ids::kKeyEnable);
            Choose(kKeyPasswordSwitchCode, sp::kKeypadPasswordEnabled, id == ids::kKeyEnable ? 1 : 0);
            break;
        case ids::kMusicGate:
            music_gate_ = controls_.Checked(ids::kMusicGate);
            Choose(kMusicGateCode, sp::kMusicGateOn, music_gate_ ? 1 : 0);
            break;
        case ids::kMicGate:
            mic_gate_ = controls_.Checked(ids::kMicGate);
            Choose(kMicGateCode, sp::kMicGateOn, mic_gate_ ? 1 : 0);
            break;
        case ids::kPowerOnList: {
            const int item = controls_.Selection(ids::kPowerOnList);
            if (item >= 0 && item < static_cast<int>(sp::kPowerOnInputs.size())) {
                Choose(kPowerOnCode, sp::kPowerOnInput,
                       sp::kPowerOnInputs[static_cast<std::size_t>(item)].code);
            }
            break;
        }
        case ids::kSceneList:
            if (file_device_)
                break;
            // The link asks the device for the scene's name, which the box then shows; the selection itself
            // is not sent.
            shown_scene_name_ = controls_.ItemText(ids::kSceneName);
            Write(sp::kSceneCommand, sp::SceneCommand(sp::kSelectScene, SceneItem()), false);
            link_.State().RaiseRequest(request::kSceneName);
            break;
        case ids::kLanguageList: {
            const int language = controls_.Selection(ids::kLanguageList);
            if (!SetLanguageIndex(language)) {
                break;
            }
            controls_.LanguageChanged(language);
            // Kept for the next start; a store that cannot be written leaves this run's choice in place.
            (void)CZB_FileData(files_).WriteInt(kLanguageFile, kLanguageKey, language);
            break;
        }
        default:
            break;
    }
}

void SystemPage::OnButton(int b) {
    if (RefusedForFile(b))
        return;
    switch (b) {
        case button::kCheckSystemPassword:
            CheckSystemPassword();
            break;
        case button::kCheckKeyPassword:
            CheckKeyPassword();
            break;
        case button::kChangeKeyPassword:
            ChangeKeyPassword();
            break;
        case button::kUseScene:
            Write(sp::kSceneCommand, sp::SceneCommand(sp::kCallScene, SceneItem()), true);
            BeforeBulkChange(StepKind::kSceneRecall);
            link_.State().RaiseRequest(request::kCallScene);
            break;
        case button::kSaveScene:
            SaveDeviceScene();
            break;
        case button::kResetPasswords:
            for (const int id : kSystemPasswordEdits) {
                controls_.SetItemText(id, L"");
            }
            break;
        case button::kChangeSystemPassword:
            ChangeSystemPassword();
            break;
        case button::kSaveLocal:
            SaveLocal();
            break;
        case button::kDeleteLocal:
            DeleteLocal();
            break;
        case button::kUpdateToDevice:
            UpdateToDevice();
            break;
        case button::kWifi:
            controls_.OpenWifiDialog();
            break;
        case button::kImport:
            Import();
            break;
        case button::kSaveAs:
            SaveAs();
            break;
        case button::kOpen:
            OpenFile();
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------- passwords

void SystemPage::CheckKeyPassword() {
    if (!link_.State().link_up.load()) {
        Tell(Text(str::kNoDevice));
        return;
    }
    const auto packed = sp::PackDigits(controls_.ItemText(ids::kKeyPassword), sp::kKeypadDigits);
    if (!packed) {
        Tell(Text(str::kPasswordFourDigits));
        return;
    }
    if (*packed != Parameter(sp::kKeypadPassword)) {
        Tell(Text(str::kWrongPassword));
        return;
    }
    controls_.EnableLabel(label::kNewKeyPassword, true);
    controls_.EnableItem(ids::kNewKeyPassword, true);
    controls_.EnableButton(button::kChangeKeyPassword, true);
}

void SystemPage::ChangeKeyPassword() {
    const auto packed = sp::PackDigits(controls_.ItemText(ids::kNewKeyPassword), sp::kKeypadDigits);
    if (!packed) {
        Tell(std::wstring(Text(str::kNewPrefix)) + std::wstring(Text(str::kPasswordFourDigits)));
        return;
    }
    Write(sp::kKeypadPassword, static_cast<int>(*packed));
    Tell(Text(str::kPasswordChanged));
}

void SystemPage::CheckSystemPassword() {
    const std::uint32_t expected = static_cast<std::uint32_t>(Parameter(sp::kSystemPasswordHigh)) << 16 |
                                   Parameter(sp::kSystemPasswordLow);
    if (!link_.State().link_up.load()) {
        Tell(Text(str::kNoDevice));
        return;
    }
    const auto typed = sp::PackSystemPassword(controls_.ItemText(ids::kSystemPassword));
    controls_.SetItemText(ids::kSystemPassword, L"");
    if (!typed) {
        Tell(Text(str::kPasswordSixDigits));
        return;
    }
    if (typed->Combined() != expected) {
        Tell(Text(str::kWrongPassword));
        return;
    }
    for (std::size_t i = 0; i < kSystemPasswordEdits.size(); ++i) {
        controls_.EnableItem(kSystemPasswordEdits[i], true);
        controls_.EnableLabel(kSystemPasswordLabels[i], true);
    }
    controls_.EnableButton(button::kResetPasswords, true);
    controls_.EnableButton(button::kChangeSystemPassword, true);
    controls_.EnableButton(button::kChangeKeyPassword, false);
}

void SystemPage::ChangeSystemPassword() {
    const std::uint32_t stored = static_cast<std::uint32_t>(Parameter(sp::kSystemPasswordHigh)) << 16 |
                                 Parameter(sp::kSystemPasswordLow);
    const auto old = sp::PackSystemPassword(controls_.ItemText(ids::kOldPassword));
    if (!old) {
        Tell(Text(str::kPasswordSixDigits));
        return;
    }
    if (old->Combined() != stored) {
        Tell(Text(str::kWrongPassword));
        return;
    }
    const std::wstring typed = controls_.ItemText(ids::kNewPassword);
    const auto fresh = sp::PackSystemPassword(typed);
    if (!fresh) {
        Tell(std::wstring(Text(str::kNewPrefix)) + std::wstring(Text(str::kPasswordSixDigits)));
        return;
    }
    if (typed != controls_.ItemText(ids::kConfirmPassword)) {
        Tell(Text(str::kPasswordsDontMatch));
        return;
    }
    Write(sp::kSystemPasswordHigh, fresh->high);
    Write(sp::kSystemPasswordLow, fresh->low);
    Tell(Text(str::kPasswordChanged));
}

}  // namespace vela
