// The System page's user edits of the table, recorded for undo.
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

}  // namespace vela
