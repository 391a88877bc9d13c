// The System page's values between its controls and the table: user edits recorded for undo, and device
// values a control cannot show said in its tip.
#include "core/model/value_scales.h"
#include "core/pages/system_page.h"

namespace vela {

void SystemPage::Edit(int code, std::uint16_t index, int value) {
    if (history_ != nullptr) {
        history_->Record(StepKind::kEdit, {layout::kSystemPage, code}, index, Parameter(index),
                         static_cast<std::uint16_t>(value));
    }
    Write(index, value);
}

void SystemPage::Choose(int code, std::uint16_t index, int value) {
    if (history_ != nullptr) {
        history_->ActionStarts(StepKind::kEdit, {layout::kSystemPage, code});
    }
    Edit(code, index, value);
    if (history_ != nullptr) {
        history_->ActionEnds();
    }
}

namespace {

namespace sp = system_page;
namespace value = system_value;
using namespace system_code;

// The value control that shows a code, or -1.
int ValueControlOf(int code) {
    if (code >= 0 && code < sp::kVolumeControls) {
        return code;
    }
    switch (code) {
        case kMicThresholdCode:
            return value::kMicThreshold;
        case kMusicThresholdCode:
            return value::kMusicThreshold;
        case kKeyShiftCode:
            return value::kKeyShift;
        case kMicVolACode:
            return value::kMicVolA;
        case kMicVolBCode:
            return value::kMicVolB;
        default:
            return -1;
    }
}

}  // namespace

// The control stays inside its scale; what the device really holds is said in its tip, and never written
// back.
void SystemPage::NoteDeviceValue(int code, int raw) {
    const int control = ValueControlOf(code);
    if (control >= 0) {
        controls_.SetValueNote(control, GetCodeValue(code) == raw ? std::wstring() : DeviceValueNote(raw));
    }
}

}  // namespace vela
