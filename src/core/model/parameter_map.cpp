#include "core/model/parameter_map.h"

#include <algorithm>
#include <cmath>

#include "core/model/value_scales.h"
#include "core/text/strings.h"

namespace vela {
namespace {

using layout::CodeRef;
using layout::EqCodes;
using layout::Strip;

constexpr std::uint32_t kModeAutoBit = 0x1;
constexpr std::uint32_t kModeDanceBit = 0x2;
constexpr std::uint16_t kMusicSourceChange = 927;
// The device needs a moment with the new mode before it is read back.
constexpr std::uint32_t kModeSettleMs = 100;
constexpr int kMasterLevelOffset = 500;

// The clipboard holds the band codes of an output page in the order 0..6, 10..16, 20..26, 30..36.
constexpr int ClipboardCode(int slot) {
    return (slot / layout::kOutputBands) * 10 + slot % layout::kOutputBands;
}

constexpr std::array<str::Id, kFaderCount> kFaderCaptions{str::kMusicFader, str::kMicFader, str::kMicVolB,
                                                          str::kEffectFader};

const layout::IndexRow* RowWrittenBy(int page_id, int code) {
    for (const auto& row : layout::IndexRows()) {
        if (row.writer == CodeRef{page_id, code}) {
            return &row;
        }
    }
    return nullptr;
}

int PageOfStrip(Strip strip) {
    constexpr std::array<int, layout::kStripCount> kPages{layout::kMainPage, layout::kCenterPage,
                                                          layout::kSubPage, layout::kRearPage};
    return kPages[static_cast<std::size_t>(strip)];
}

bool ValidFader(int fader) {
    return fader >= 0 && fader < kFaderCount;
}

}  // namespace

ParameterMap::ParameterMap(DeviceLink& link, const MappedControls& controls)
    : link_(link), controls_(controls) {}

bool ParameterMap::DanceBankActive() const {
    return (link_.Table().Value(param::kModeWord) & kModeDanceBit) != 0;
}

void ParameterMap::WriteParameter(std::size_t index, std::uint32_t value) {
    link_.WriteParameter(index, value);
}

ICodePage* ParameterMap::PageFor(int page_id) const {
    if (const auto strip = layout::StripForPage(page_id)) {
        return controls_.outputs[static_cast<std::size_t>(*strip)];
    }
    switch (page_id) {
        case layout::kMusicPage:
            return controls_.music;
        case layout::kMicPage:
            return controls_.mic;
        case layout::kEchoPage:
            return controls_.echo;
        case layout::kReverbPage:
            return controls_.reverb;
        case layout::kSystemPage:
            return controls_.system;
        default:
            return nullptr;
    }
}

void ParameterMap::WriteRaw(std::uint16_t index, int raw) {
    // A control pressed and let go, a box left as it was or a wheel notch at an end brings the value the
    // table already holds: the device has it (or it is on its way), so nothing is sent again.
    if (!rewriting_ && static_cast<std::uint16_t>(raw) == link_.Table().Value(index)) {
        return;
    }
    Record(index, raw);
    WriteParameter(index, static_cast<std::uint32_t>(raw));
}

void ParameterMap::Record(std::uint16_t index, int raw) {
    if (history_ != nullptr && index < kParameterCount) {
        history_->Record(edit_kind_, edit_source_, index, link_.Table().Value(index),
                         static_cast<std::uint16_t>(raw));
    }
}

void ParameterMap::ActionStarts(StepKind kind, int page_id) {
    if (history_ != nullptr) {
        history_->ActionStarts(kind, {page_id, -1});
    }
}

void ParameterMap::ActionEnds() {
    if (history_ != nullptr) {
        history_->ActionEnds();
    }
}

void ParameterMap::WriteBack(std::span<const ParameterChange> changes, bool after) {
    const auto value = [after](const ParameterChange& c) { return after ? c.after : c.before; };
    for (const auto& c : changes) {
        if (c.index == param::kModeWord) {
            WriteMode(value(c));
            RefreshFromParameter(c.index, value(c));
        }
    }
    for (const auto& c : changes) {
        if (c.index != param::kModeWord && c.index < kParameterCount) {
            WriteParameter(c.index, value(c));
            RefreshFromParameter(c.index, value(c));
        }
    }
    ClampMasterLevels();
}

std::uint16_t ParameterMap::Stored(std::size_t index) const {
    return index < kParameterCount ? link_.Table().Value(index) : 0;
}

void ParameterMap::Edited(int page_id, int code, int raw) {
    if (code == kImportEqCode) {
        ActionStarts(StepKind::kEqImport, page_id);
        ImportEq(page_id);
        ActionEnds();
        return;
    }
    if (!rewriting_) {
        edit_kind_ = StepKind::kEdit;
        edit_source_ = {page_id, code};
    }
    if (const auto strip = layout::StripForPage(page_id)) {
        if (auto* page = controls_.outputs[static_cast<std::size_t>(*strip)]) {
            OnOutputPage(*strip, *page, code, raw);
        }
        return;
    }
    // The System page writes its parameters itself.
    if (PageFor(page_id) == nullptr || page_id == layout::kSystemPage) {
        return;
    }
    if (page_id == layout::kMicPage) {
        OnMicPage(*controls_.mic, code, raw);
        return;
    }
    const layout::EqBlock& eq = page_id == layout::kMusicPage  ? layout::kMusicEq
                                : page_id == layout::kEchoPage ? layout::kEchoEq
                                                               : layout::kReverbEq;
    if (const auto band = layout::EqFieldForCode(eq.codes, eq.bands, code)) {
        WriteRaw(layout::EqBlockIndex(eq, band->band, band->field), raw);
        return;
    }
    if (const auto* row = RowWrittenBy(page_id, code)) {
        WriteRaw(row->index, raw);
        if (page_id == layout::kEchoPage && code == layout::kEchoLeftPreDelayCode) {
            // The R pre-delay follows the L one; it takes the value just stored, not a second reading.
            WriteRaw(layout::kEchoRightPreDelay, link_.Table().Value(layout::kEchoLeftPreDelay));
        }
    }
}

void ParameterMap::Rewritten(int page_id, int code, int raw) {
    rewriting_ = true;
    // Only RESET writes again: its rewrites, one after the other, are one step.
    edit_kind_ = StepKind::kReset;
    edit_source_ = {page_id, -1};
    Edited(page_id, code, raw);
    rewriting_ = false;
}

void ParameterMap::Typed(int page_id, int code, int raw) {
    if (history_ != nullptr) {
        history_->ActionStarts(StepKind::kEdit, {page_id, code});
    }
    Edited(page_id, code, raw);
    if (history_ != nullptr) {
        history_->ActionEnds();
    }
}

void ParameterMap::OnOutputPage(Strip strip, ICodePage& page, int code, int raw) {
    const bool dance = DanceBankActive();
    if (code == kCopyEqCode) {
        CopyEq(page);
        return;
    }
    if (code == kPasteEqCode) {
        ActionStarts(StepKind::kPasteEq, PageOfStrip(strip));
        PasteEq(strip, page);
        ActionEnds();
        return;
    }
    if (const auto band = layout::EqFieldForCode(EqCodes::kOutput, layout::kOutputBands, code)) {
        WriteRaw(layout::StripEqIndex(strip, dance, band->band, band->field), raw);
        return;
    }
    if (const auto index = layout::StripIndexForCode(strip, dance, code)) {
        WriteRaw(*index, raw);
    }
}

void ParameterMap::OnMicPage(IMicPage& page, int code, int raw) {
    if (const auto* row = RowWrittenBy(layout::kMicPage, code)) {
        WriteRaw(row->index, raw);
        return;
    }
    std::uint16_t index_a = 0;
    std::uint16_t index_b = 0;
    if (const auto band = layout::EqFieldForCode(EqCodes::kInput, layout::kMicAEq.bands, code)) {
        index_a = layout::EqBlockIndex(layout::kMicAEq, band->band, band->field);
        index_b = layout::EqBlockIndex(layout::kMicBEq, band->band, band->field);
    } else {
        const auto rows = layout::MicTargetRows();
        const auto it =
            std::find_if(rows.begin(), rows.end(), [code](const auto& r) { return r.code == code; });
        if (it == rows.end()) {
            return;
        }
        index_a = it->mic_a;
        index_b = it->mic_b;
    }
    if (page.MicBPressed()) {
        WriteRaw(index_b, raw);
    }
    if (page.MicAPressed()) {
        WriteRaw(index_a, raw);
    }
}

void ParameterMap::CopyEq(ICodePage& page) {
    for (int slot = 0; slot < kEqClipboardSize; ++slot) {
        clipboard_[static_cast<std::size_t>(slot)] = page.GetCodeValue(ClipboardCode(slot));
    }
    clipboard_filled_ = true;
}

void ParameterMap::PasteEq(Strip strip, ICodePage& page) {
    if (!clipboard_filled_) {
        if (controls_.messages != nullptr) {
            controls_.messages->Show(Text(str::kNoDuplicateContent), {}, MessageButtons::kOk);
        }
        return;
    }
    const bool dance = DanceBankActive();
    for (int slot = 0; slot < kEqClipboardSize; ++slot) {
        const int code = ClipboardCode(slot);
        page.SetCodeValue(code, clipboard_[static_cast<std::size_t>(slot)]);
        const auto band = layout::EqFieldForCode(EqCodes::kOutput, layout::kOutputBands, code);
        WriteRaw(layout::StripEqIndex(strip, dance, band->band, band->field), page.GetCodeValue(code));
    }
}

void ParameterMap::ImportEq(int page_id) {
    ICodePage* page = PageFor(page_id);
    if (page == nullptr || page_id == layout::kSystemPage) {
        return;
    }
    // Each band field goes the way an edit of it goes (the Mic page's to the microphones it edits).
    const bool input = page_id == layout::kMusicPage || page_id == layout::kMicPage;
    const int bands = layout::StripForPage(page_id) ? layout::kOutputBands
                      : input                       ? layout::kMusicEq.bands
                                                    : layout::kEchoEq.bands;
    const EqCodes codes = input ? EqCodes::kInput : EqCodes::kOutput;
    for (int band = 0; band < bands; ++band) {
        for (const auto field : {layout::EqField::kType, layout::EqField::kFrequency, layout::EqField::kGain,
                                 layout::EqField::kQ}) {
            const int code = layout::EqCode(codes, band, field);
            Edited(page_id, code, page->GetCodeValue(code));
        }
    }
}

void ParameterMap::RelabelFader(int fader) {
    if (controls_.faders == nullptr || !ValidFader(fader)) {
        return;
    }
    controls_.faders->SetCaption(
        fader, FaderText(kFaderCaptions[static_cast<std::size_t>(fader)], controls_.faders->Value(fader)));
}

void ParameterMap::ClampMasterLevels() {
    if (controls_.faders == nullptr) {
        return;
    }
    for (int fader = 0; fader < kFaderCount; ++fader) {
        const double max = controls_.faders->MaxLevel(fader);
        if (controls_.faders->Value(fader) > max) {
            controls_.faders->SetValue(fader, max);
            RelabelFader(fader);
        }
    }
}

void ParameterMap::OnMasterFader(int fader) {
    if (controls_.faders == nullptr || !ValidFader(fader)) {
        return;
    }
    ClampMasterLevels();
    RelabelFader(fader);
    controls_.faders->SetNote(fader, {});
    if (const auto* row = RowWrittenBy(layout::kMasterFaders, fader)) {
        edit_kind_ = StepKind::kMasterFader;
        edit_source_ = {layout::kMasterFaders, fader};
        const double value = controls_.faders->Value(fader);
        const auto level = static_cast<std::uint32_t>(std::clamp(value, 0.0, 65535.0 - kMasterLevelOffset));
        WriteRaw(row->index, static_cast<int>(level + kMasterLevelOffset));
    }
}

void ParameterMap::OnMusicSource() {
    if (controls_.source == nullptr) {
        return;
    }
    const int position = controls_.source->Selection();
    if (position < 0 || position >= static_cast<int>(kMusicSourceCodes.size())) {
        return;
    }
    controls_.source->SetNote({});
    const auto source = static_cast<std::uint16_t>(kMusicSourceCodes[static_cast<std::size_t>(position)]);
    edit_kind_ = StepKind::kEdit;
    edit_source_ = {layout::kMusicSourceSelector, 0};
    Record(param::kMusicSource, source);
    WriteParameter(kMusicSourceChange, 0);
    WriteParameter(param::kMusicSource, source);
}

void ParameterMap::OnModeButton(int button) {
    IModeButtons* buttons = controls_.mode;
    if (buttons == nullptr) {
        return;
    }
    std::uint32_t mode = 0;
    switch (button) {
        case kAutoHandButton: {
            const bool automatic = buttons->Check(kAutoHandButton) == kButtonReleased;
            buttons->SetCaption(kAutoHandButton, Text(automatic ? str::kAuto : str::kHand));
            buttons->SetEnabled(kSingButton, !automatic);
            buttons->SetEnabled(kDanceButton, !automatic);
            mode = automatic ? kModeAutoBit : 0;
            break;
        }
        case kSingButton:
        case kDanceButton: {
            const int other = button == kSingButton ? kDanceButton : kSingButton;
            const bool now_pressed = buttons->Check(button) == kButtonPressed;
            // A click on the selected button released it: select it again, write nothing.
            buttons->SetCheck(button, kButtonPressed);
            buttons->SetCheck(other, kButtonReleased);
            if (!now_pressed) {
                return;
            }
            break;
        }
        default:
            return;
    }
    if (buttons->Check(kDanceButton) == kButtonPressed) {
        mode |= kModeDanceBit;
    }
    // The device changes the bank's values with the mode: the step is what the re-read brings.
    if (history_ != nullptr) {
        history_->BeginCapture(StepKind::kMode, link_.Table().Values());
    }
    WriteMode(static_cast<std::uint16_t>(mode));
}

void ParameterMap::WriteMode(std::uint16_t mode) {
    // Sent even with the send switch off: the re-read below must see the device in its new mode.
    link_.Table().WriteParameter(param::kModeWord, mode, true);
    link_.Clock().SleepMs(kModeSettleMs);
    link_.State().RaiseRequest(request::kRefresh);
}

void ParameterMap::ApplyLanguage() {
    if (IModeButtons* buttons = controls_.mode) {
        const bool automatic = buttons->Check(kAutoHandButton) == kButtonReleased;
        buttons->SetCaption(kAutoHandButton, Text(automatic ? str::kAuto : str::kHand));
        buttons->SetCaption(kSingButton, Text(str::kSing));
        buttons->SetCaption(kDanceButton, Text(str::kDance));
    }
    for (int fader = 0; fader < kFaderCount; ++fader) {
        RelabelFader(fader);
    }
    // The highest code of each page class; code 65, 88, 58 and 25 rewrite the fixed texts.
    constexpr int kOutputCodes = 67;
    constexpr int kInputCodes = 92;
    constexpr int kEffectCodes = 60;
    constexpr int kSystemCodes = 25;
    const auto relabel = [](ICodePage* page, int last) {
        if (page == nullptr) {
            return;
        }
        for (int code = 0; code <= last; ++code) {
            page->UpdateCodeText(code);
        }
    };
    for (ICodePage* page : controls_.outputs) {
        relabel(page, kOutputCodes);
    }
    relabel(controls_.music, kInputCodes);
    relabel(controls_.mic, kInputCodes);
    relabel(controls_.echo, kEffectCodes);
    relabel(controls_.reverb, kEffectCodes);
    relabel(controls_.system, kSystemCodes);
}

void ParameterMap::RefreshFromParameter(std::size_t index, std::uint16_t value) {
    if (index >= kParameterCount) {
        return;
    }
    if (const auto slot = layout::StripSlotForIndex(index)) {
        auto* page = controls_.outputs[static_cast<std::size_t>(slot->strip)];
        if (page != nullptr && slot->dance_bank == DanceBankActive()) {
            page->SetCodeValue(slot->code, value);
        }
        return;
    }
    if (controls_.mic != nullptr) {
        // Only the MIC B button decides which microphone the page shows.
        const bool mic_b = controls_.mic->MicBPressed();
        const layout::EqBlock& shown = mic_b ? layout::kMicBEq : layout::kMicAEq;
        if (layout::InEqBlock(shown, index)) {
            const int offset = static_cast<int>(index - shown.first);
            controls_.mic->SetCodeValue(
                layout::EqCode(EqCodes::kInput, offset / layout::kEqFields,
                               static_cast<layout::EqField>(offset % layout::kEqFields)),
                value);
            return;
        }
        for (const auto& row : layout::MicTargetRows()) {
            if (index == (mic_b ? row.mic_b : row.mic_a)) {
                controls_.mic->SetCodeValue(row.code, value);
                return;
            }
        }
    }
    for (const layout::EqBlock* block : {&layout::kMusicEq, &layout::kEchoEq, &layout::kReverbEq}) {
        if (layout::InEqBlock(*block, index)) {
            if (auto* page = PageFor(block->page_id)) {
                const int offset = static_cast<int>(index - block->first);
                page->SetCodeValue(layout::EqCode(block->codes, offset / layout::kEqFields,
                                                  static_cast<layout::EqField>(offset % layout::kEqFields)),
                                   value);
            }
            return;
        }
    }
    if (const auto* row = layout::RowForIndex(index)) {
        for (const auto& target : row->refresh) {
            RefreshTarget(target, value);
        }
    }
}

void ParameterMap::RefreshTarget(const CodeRef& target, std::uint16_t value) {
    switch (target.page) {
        case layout::kNoPage:
            return;
        case layout::kMasterFaders: {
            if (controls_.faders == nullptr || !ValidFader(target.code)) {
                return;
            }
            // A level beyond the fader's end is shown at the end and said so; the table keeps it.
            const double level = value % kMasterLevelOffset;
            const double shown =
                std::clamp(level, 0.0, std::max(controls_.faders->UpperLimit(target.code), 0.0));
            if (controls_.faders->Value(target.code) != shown) {
                controls_.faders->SetValue(target.code, shown);
            }
            controls_.faders->SetNote(target.code, shown == level ? std::wstring() : DeviceValueNote(value));
            RelabelFader(target.code);
            return;
        }
        case layout::kMusicSourceSelector: {
            if (controls_.source == nullptr) {
                return;
            }
            // The idle heartbeat reads this word again and again: an unchanged one repaints nothing.
            const auto position = MusicSourcePositionFor(value);
            if (position && *position != controls_.source->Selection()) {
                controls_.source->Select(*position);
            }
            // A source the selector has no item for: it keeps what it showed, and says so.
            controls_.source->SetNote(position ? std::wstring() : DeviceValueNote(value));
            return;
        }
        case layout::kModeButtons:
            RefreshMode(value);
            return;
        default:
            if (auto* page = PageFor(target.page)) {
                page->SetCodeValue(target.code, value);
            }
            return;
    }
}

void ParameterMap::RefreshMode(std::uint16_t value) {
    IModeButtons* buttons = controls_.mode;
    if (buttons == nullptr) {
        return;
    }
    const bool automatic = (value & kModeAutoBit) != 0;
    buttons->SetEnabled(kSingButton, !automatic);
    buttons->SetEnabled(kDanceButton, !automatic);
    buttons->SetCheck(kAutoHandButton, automatic ? kButtonReleased : kButtonPressed);
    buttons->SetCaption(kAutoHandButton, Text(automatic ? str::kAuto : str::kHand));
    buttons->SetOutputPagesEnabled(!automatic);
    const bool dance = (value & kModeDanceBit) != 0;
    buttons->SetCheck(kSingButton, dance ? kButtonReleased : kButtonPressed);
    buttons->SetCheck(kDanceButton, dance ? kButtonPressed : kButtonReleased);
}

}  // namespace vela
