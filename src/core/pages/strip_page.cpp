#include "core/pages/strip_page.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/model/filter_response.h"
#include "core/model/value_scales.h"

namespace vela {

namespace {

using layout::EqField;

// Output pages' mute buttons and their codes.
constexpr std::array<int, 3> kMuteCodes{41, 42, 43};
constexpr std::array<unsigned, 3> kMuteShownOn{page_bits::kStereo, page_bits::kMono, page_bits::kStereo};
constexpr int kFbxCode = 82;
constexpr int kHighPassHandle = 0;

double Field(const BandValues& b, int field) {
    switch (field) {
        case kFieldGain:
            return b.gain;
        case kFieldFreq:
            return b.freq;
        case kFieldQ:
            return b.q;
        default:
            return b.type;
    }
}

void SetField(BandValues& b, int field, double x) {
    switch (field) {
        case kFieldGain:
            b.gain = x;
            return;
        case kFieldFreq:
            b.freq = x;
            return;
        case kFieldQ:
            b.q = x;
            return;
        default:
            b.type = static_cast<int>(x);
            return;
    }
}

EqField EqFieldOf(int field) {
    switch (field) {
        case kFieldGain:
            return EqField::kGain;
        case kFieldFreq:
            return EqField::kFrequency;
        case kFieldQ:
            return EqField::kQ;
        default:
            return EqField::kType;
    }
}

int EditorFieldOf(EqField field) {
    switch (field) {
        case EqField::kGain:
            return kFieldGain;
        case EqField::kFrequency:
            return kFieldFreq;
        case EqField::kQ:
            return kFieldQ;
        case EqField::kType:
            break;
    }
    return kFieldType;
}

int BandRaw(const BandValues& b, EqField field) {
    switch (field) {
        case EqField::kType:
            return b.type;
        case EqField::kFrequency:
            return FreqToCode(b.freq);
        case EqField::kQ:
            return QCodeFor(b.q);
        case EqField::kGain:
            break;
    }
    return GainCodeFor(b.gain);
}

double BandFieldFor(EqField field, int raw) {
    switch (field) {
        case EqField::kType:
            return raw;
        case EqField::kFrequency:
            return CodeToFreq(raw);
        case EqField::kQ:
            return QFromCode(raw);
        case EqField::kGain:
            break;
    }
    return GainFromCode(raw);
}

// The types a band editor shows as they are; the device treats any other as peaking, and so does the page.
bool KnownBandType(int raw) {
    return raw == filter::kPeaking || raw == filter::kLowShelf || raw == filter::kHighShelf ||
           raw == filter::kBandOff;
}

// The graph puts its handles on its tables: a value it gives back on the table entry of the value the
// page holds is that value, pressed but not moved (a device's 400 Hz comes back as 405).
bool OnSameEntry(int field, double moved, double held) {
    switch (field) {
        case kFieldFreq:
            return EqFreqPosition(moved, kGraphFreqFirst) == EqFreqPosition(held, kGraphFreqFirst);
        case kFieldQ:
            return QPosition(moved) == QPosition(held);
        case kFieldGain:
            return GainCodeFor(moved) == GainCodeFor(held);
        default:
            return static_cast<int>(moved) == static_cast<int>(held);
    }
}

}  // namespace

StripPage::StripPage(int page_id, IStripControls& controls)
    : page_id_(page_id),
      kind_(StripKindFor(page_id)),
      descriptor_(&DescriptorFor(kind_)),
      controls_(controls),
      bands_(static_cast<std::size_t>(descriptor_->band_count)),
      values_(static_cast<std::size_t>(descriptor_->value_slots), 0.0),
      combos_(static_cast<std::size_t>(descriptor_->combo_slots), 0),
      checks_(static_cast<std::size_t>(descriptor_->button_slots), 0) {
    for (const ValueSlot& s : SlotsOf(kind_)) {
        if (HasPage(s.exists_on, page_id_))
            slots_.push_back(s);
    }
}

std::span<const ValueSlot> StripPage::Slots() const {
    return slots_;
}

const ValueSlot* StripPage::SlotAt(int slot) const {
    for (const ValueSlot& s : slots_) {
        if (s.slot == slot)
            return &s;
    }
    return nullptr;
}

const ValueSlot* StripPage::SlotFor(int code) const {
    for (const ValueSlot& s : slots_) {
        if (s.code == code)
            return &s;
    }
    return nullptr;
}

bool StripPage::SlotShown(int slot) const {
    const ValueSlot* s = SlotAt(slot);
    return s != nullptr && HasPage(s->shown_on, page_id_);
}

bool StripPage::LabelShown(int label) const {
    switch (kind_) {
        case StripKind::kOutput:
            if (label >= 0 && label < 3) {
                for (const ValueSlot& s : slots_) {
                    if (s.distance_label == label)
                        return HasPage(s.shown_on, page_id_);
                }
                return false;
            }
            return label == descriptor_->high_pass_label || label == descriptor_->low_pass_label;
        case StripKind::kInput:
            if (label == kFbxLabel)
                return ComboShown(kFbxCombo);
            return label == descriptor_->high_pass_label || label == descriptor_->low_pass_label;
        case StripKind::kEffect:
            break;
    }
    return label == descriptor_->high_pass_label || label == descriptor_->low_pass_label;
}

bool StripPage::ComboShown(int combo) const {
    if (combo == kHighPassCombo || combo == kLowPassCombo)
        return true;
    return kind_ == StripKind::kInput && combo == kFbxCombo && page_id_ == layout::kMicPage;
}

bool StripPage::ButtonShown(int button) const {
    if (button == kResetButton || button == kEqPassButton)
        return true;
    if (kind_ == StripKind::kOutput && button >= 0 && button < 3)
        return HasPage(kMuteShownOn[static_cast<std::size_t>(button)], page_id_);
    if (kind_ == StripKind::kInput && (button == kMicAButton || button == kMicBButton))
        return page_id_ == layout::kMicPage;
    return false;
}

std::wstring StripPage::FixedButtonText(int button) const {
    switch (button) {
        case 0:
            return std::wstring(Text(str::kLeftMute));
        case 1:
            return std::wstring(Text(str::kMute));
        case 2:
            return std::wstring(Text(str::kRightMute));
        case kResetButton:
            return L"RESET";
        case kEqPassButton:
            return L"EQ PASS";
        case kMicAButton:
            return std::wstring(Text(str::kMicA));
        case kMicBButton:
            return std::wstring(Text(str::kMicB));
        default:
            return L"";
    }
}

std::span<const double> StripPage::DefaultFrequencies() const {
    return DefaultFrequenciesFor(page_id_);
}

void StripPage::Initialise() {
    // The controls were just made: they show their own first values, and so does the page.
    std::fill(bands_.begin(), bands_.end(), BandValues{});
    std::fill(combos_.begin(), combos_.end(), 0);
    std::fill(checks_.begin(), checks_.end(), 0);
    eq_active_ = 1;
    for (const ValueSlot& s : slots_) {
        SetPosition(s, s.initial);
        if (s.kind == SlotKind::kHighPass)
            controls_.SetGraphPassFreq(kHighPassHandle, PassHzFor(s, kFreqCodeOff));
        else if (PassHandleOf(s) >= 0)
            controls_.SetGraphPassFreq(PassHandleOf(s), PassHzAt(s, s.initial));
        Relabel(s);
    }
    ShowCombo(kHighPassCombo, 0);
    ShowCombo(kLowPassCombo, 0);
    controls_.SetGraphPassType(SlopeCodeFor(0, FilterSide::kHighPass));
    controls_.SetGraphPassType(SlopeCodeFor(0, FilterSide::kLowPass));
    if (kind_ == StripKind::kOutput) {
        for (int b = 0; b < 3; ++b)
            ShowCheck(b, kCheckReleased);
    }
    if (page_id_ == layout::kMicPage) {
        ShowCombo(kFbxCombo, 0);
        ShowCheck(kMicAButton, kCheckPressed);
        ShowCheck(kMicBButton, kCheckReleased);
    }
    // Until the device's values arrive each band stands at its RESET frequency, and the graph shows what
    // the editors show: a handle pressed before then must find nothing to change.
    const std::span<const double> defaults = DefaultFrequencies();
    for (int b = 0; b < descriptor_->band_count; ++b) {
        if (b < static_cast<int>(defaults.size()))
            ShowBandField(b, kFieldFreq, EditorFreqFor(defaults[static_cast<std::size_t>(b)]));
        for (int field : {kFieldType, kFieldFreq, kFieldQ, kFieldGain})
            ShowGraphBand(b, field, Field(bands_[static_cast<std::size_t>(b)], field));
    }
    RewriteFixedTexts();
}

int StripPage::BandCode(int band, EqField field) const {
    return layout::EqCode(descriptor_->band_codes, band, field);
}

double StripPage::ValueAt(int slot) const {
    return slot >= 0 && slot < static_cast<int>(values_.size()) ? values_[static_cast<std::size_t>(slot)]
                                                                : 0.0;
}

void StripPage::SetPosition(const ValueSlot& s, double v) {
    const double held = SlotHeld(s, v);
    if (s.slot >= 0 && s.slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(s.slot)] = held;
    controls_.SetValue(s.slot, held);
}

void StripPage::ShowBandField(int band, int field, double x) {
    if (band < 0 || band >= static_cast<int>(bands_.size()))
        return;
    SetField(bands_[static_cast<std::size_t>(band)], field, EditorShownValue(field, x, GainLimits{}));
    controls_.SetBandField(band, field, x);
}

void StripPage::ShowGraphBand(int band, int field, double x) {
    controls_.SetGraphBand(band, field, x);
}

void StripPage::ShowCombo(int combo, int item) {
    if (combo >= 0 && combo < static_cast<int>(combos_.size()))
        combos_[static_cast<std::size_t>(combo)] = item;
    controls_.SetComboItem(combo, item);
}

void StripPage::ShowCheck(int button, int state) {
    if (button >= 0 && button < static_cast<int>(checks_.size()))
        checks_[static_cast<std::size_t>(button)] = state;
    controls_.SetButtonCheck(button, state);
}

void StripPage::ShowEqActive(int flag) {
    eq_active_ = flag;
    controls_.SetGraphEqActive(flag);
}

void StripPage::Send(int code) {
    if (edits_ != nullptr)
        edits_->Edited(page_id_, code, GetCodeValue(code));
}

void StripPage::SendAgain(int code) {
    if (edits_ != nullptr)
        edits_->Rewritten(page_id_, code, GetCodeValue(code));
}

void StripPage::Relabel(const ValueSlot& s) {
    const double v = ValueAt(s.slot);
    if (s.kind == SlotKind::kDelay)
        controls_.SetLabelCaption(s.distance_label, DelayDistanceText(v));
    controls_.SetValueCaption(s.slot, SlotCaption(s, v));
}

int StripPage::GetCodeValue(int code) {
    if (const auto bf = layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, code))
        return BandRaw(bands_[static_cast<std::size_t>(bf->band)], bf->field);
    if (code == descriptor_->eq_pass_code)
        return eq_active_ >= 1 ? 1 : 0;
    if (code == descriptor_->high_pass_slope_code)
        return SlopeCodeFor(combos_[kHighPassCombo], FilterSide::kHighPass);
    if (code == descriptor_->low_pass_slope_code)
        return SlopeCodeFor(combos_[kLowPassCombo], FilterSide::kLowPass);
    if (kind_ == StripKind::kInput && code == kFbxCode)
        return std::clamp(combos_[kFbxCombo], 0, kFbxItems - 1);
    if (kind_ == StripKind::kOutput) {
        for (std::size_t b = 0; b < kMuteCodes.size(); ++b) {
            if (code == kMuteCodes[b])
                return checks_[b] == kCheckPressed ? 1 : 0;
        }
    }
    if (const ValueSlot* s = SlotFor(code))
        return SlotRaw(*s, ValueAt(s->slot));
    return 0;
}

void StripPage::SetCodeValue(int code, int raw) {
    if (const auto bf = layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, code)) {
        const int field = EditorFieldOf(bf->field);
        const double x = BandFieldFor(bf->field, raw);
        ShowGraphBand(bf->band, field, x);
        ShowBandField(bf->band, field, x);
        const bool as_held = bf->field == EqField::kType ? KnownBandType(raw) : GetCodeValue(code) == raw;
        controls_.SetBandNote(bf->band, field, as_held ? std::wstring() : DeviceValueNote(raw));
        return;
    }
    if (code == descriptor_->eq_pass_code) {
        ShowEqActive(raw >= 1 ? 1 : 0);
        return;
    }
    if (code == descriptor_->high_pass_slope_code || code == descriptor_->low_pass_slope_code) {
        controls_.SetGraphPassType(raw);
        const int combo = code == descriptor_->high_pass_slope_code ? kHighPassCombo : kLowPassCombo;
        ShowCombo(combo, SlopeItemFor(raw));
        controls_.SetComboNote(combo, GetCodeValue(code) == raw ? std::wstring() : DeviceValueNote(raw));
        return;
    }
    if (kind_ == StripKind::kInput && code == kFbxCode) {
        ShowCombo(kFbxCombo, std::clamp(raw, 0, kFbxItems - 1));
        controls_.SetComboNote(kFbxCombo, GetCodeValue(code) == raw ? std::wstring() : DeviceValueNote(raw));
        return;
    }
    if (kind_ == StripKind::kOutput) {
        for (std::size_t b = 0; b < kMuteCodes.size(); ++b) {
            if (code == kMuteCodes[b]) {
                ShowCheck(static_cast<int>(b), raw >= 1 ? kCheckPressed : kCheckReleased);
                return;
            }
        }
    }
    if (const ValueSlot* s = SlotFor(code)) {
        if (PassHandleOf(*s) >= 0)
            controls_.SetGraphPassFreq(PassHandleOf(*s), PassHzFor(*s, raw));
        if (const std::optional<double> place = SlotPlace(*s, raw))
            SetPosition(*s, *place);
        Relabel(*s);
        // The raw value stays in the table; the control says it shows something else.
        controls_.SetValueNote(s->slot, GetCodeValue(code) == raw ? std::wstring() : DeviceValueNote(raw));
    }
}

void StripPage::UpdateCodeText(int code) {
    if (code == descriptor_->fixed_text_code) {
        RewriteFixedTexts();
        return;
    }
    if (layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, code))
        return;
    if (const ValueSlot* s = SlotFor(code))
        Relabel(*s);
}

void StripPage::RewriteFixedTexts() {
    constexpr std::array<str::Id, kRowCaptions> kRows{str::kRowGain, str::kRowType, str::kRowFreq,
                                                      str::kRowQ};
    for (int r = 0; r < kRowCaptions; ++r)
        controls_.SetRowCaption(r, std::wstring(Text(kRows[static_cast<std::size_t>(r)])));
    controls_.SetLabelCaption(descriptor_->high_pass_label, std::wstring(Text(str::kHpfSlope)));
    controls_.SetLabelCaption(descriptor_->low_pass_label, std::wstring(Text(str::kLpfSlope)));
    if (kind_ == StripKind::kInput)
        controls_.SetLabelCaption(kFbxLabel, std::wstring(Text(str::kMicFbx)));
    for (int b = 0; b < descriptor_->button_slots; ++b)
        controls_.SetButtonCaption(b, FixedButtonText(b));
}

bool StripPage::MicAPressed() {
    return page_id_ == layout::kMicPage && checks_[kMicAButton] == kCheckPressed;
}

bool StripPage::MicBPressed() {
    return page_id_ == layout::kMicPage && checks_[kMicBButton] == kCheckPressed;
}

void StripPage::OnBandEditor(int band, int field, double x, bool typed) {
    if (band < 0 || band >= descriptor_->band_count || field < kFieldGain || field > kFieldType)
        return;
    // What the editor shows now; it is not asked again.
    SetField(bands_[static_cast<std::size_t>(band)], field, x);
    ShowGraphBand(band, field, x);
    controls_.SetBandNote(band, field, std::wstring());
    const int code = BandCode(band, EqFieldOf(field));
    if (typed && edits_ != nullptr)
        edits_->Typed(page_id_, code, GetCodeValue(code));
    else
        Send(code);
}

void StripPage::OnValueControl(int slot, double v) {
    const ValueSlot* s = SlotAt(slot);
    if (s == nullptr)
        return;
    values_[static_cast<std::size_t>(slot)] = v;
    if (PassHandleOf(*s) >= 0)
        controls_.SetGraphPassFreq(PassHandleOf(*s), PassHzAt(*s, v));
    Send(s->code);
    Relabel(*s);
    controls_.SetValueNote(s->slot, std::wstring());
}

void StripPage::OnGraphPass(int which, double hz) {
    for (const ValueSlot& s : slots_) {
        if (PassHandleOf(s) != which)
            continue;
        SetPosition(s, s.kind == SlotKind::kLowPassShort ? LpfIndexFor(hz) : FreqIndexFor(hz));
        Send(s.code);
        Relabel(s);
        controls_.SetValueNote(s.slot, std::wstring());
        return;
    }
}

void StripPage::OnGraphMenu(int kind) {
    if ((kind == kGraphCopy || kind == kGraphPaste) && descriptor_->copy_paste)
        Send(kind == kGraphCopy ? kCopyEqCode : kPasteEqCode);
}

std::vector<StripPage::BandRaws> StripPage::BandRawValues() const {
    std::vector<BandRaws> raws;
    for (const BandValues& b : bands_)
        raws.push_back({BandRaw(b, EqField::kType), BandRaw(b, EqField::kFrequency),
                        BandRaw(b, EqField::kGain), BandRaw(b, EqField::kQ)});
    return raws;
}

void StripPage::ImportBands(std::span<const BandRaws> bands) {
    for (int b = 0; b < descriptor_->band_count && b < static_cast<int>(bands.size()); ++b) {
        for (int f = 0; f < layout::kEqFields; ++f)
            SetCodeValue(BandCode(b, static_cast<EqField>(f)),
                         bands[static_cast<std::size_t>(b)][static_cast<std::size_t>(f)]);
    }
    if (edits_ != nullptr)
        edits_->Edited(page_id_, kImportEqCode, 0);
}

void StripPage::OnGraphBand(int band, const BandValues& moved) {
    if (band < 0 || band >= descriptor_->band_count)
        return;
    // Only what the graph changed is sent: a handle pressed and let go where it stood writes nothing.
    constexpr std::array<EqField, 4> kSendOrder{EqField::kType, EqField::kGain, EqField::kFrequency,
                                                EqField::kQ};
    const BandValues before = bands_[static_cast<std::size_t>(band)];
    for (int field : {kFieldFreq, kFieldQ, kFieldGain, kFieldType}) {
        if (!OnSameEntry(field, Field(moved, field), Field(before, field))) {
            ShowBandField(band, field, Field(moved, field));
            controls_.SetBandNote(band, field, std::wstring());
        }
    }
    const BandValues& after = bands_[static_cast<std::size_t>(band)];
    for (EqField field : kSendOrder) {
        if (BandRaw(after, field) != BandRaw(before, field))
            Send(BandCode(band, field));
    }
}

void StripPage::OnCombo(int combo, int item) {
    if (combo < 0 || combo >= static_cast<int>(combos_.size()))
        return;
    combos_[static_cast<std::size_t>(combo)] = item;
    controls_.SetComboNote(combo, std::wstring());
    if (combo == kHighPassCombo || combo == kLowPassCombo) {
        const bool high = combo == kHighPassCombo;
        const int code = SlopeCodeFor(item, high ? FilterSide::kHighPass : FilterSide::kLowPass);
        const int slope_code = high ? descriptor_->high_pass_slope_code : descriptor_->low_pass_slope_code;
        SetCodeValue(slope_code, code);
        Send(slope_code);
        return;
    }
    if (combo == kFbxCombo && ComboShown(kFbxCombo))
        Send(kFbxCode);
}

void StripPage::OnButton(int button, int check) {
    if (!ButtonShown(button))
        return;
    checks_[static_cast<std::size_t>(button)] = check;
    if (kind_ == StripKind::kOutput && button >= 0 && button < 3) {
        Send(kMuteCodes[static_cast<std::size_t>(button)]);
        return;
    }
    switch (button) {
        case kResetButton:
            Reset();
            return;
        case kEqPassButton:
            ShowEqActive(eq_active_ < 1 ? 1 : 0);
            Send(descriptor_->eq_pass_code);
            return;
        case kMicAButton:
        case kMicBButton:
            SelectMic(button == kMicBButton);
            return;
        default:
            return;
    }
}

void StripPage::Reset() {
    const std::span<const double> defaults = DefaultFrequencies();
    for (int b = 0; b < descriptor_->band_count && b < static_cast<int>(defaults.size()); ++b) {
        const double hz = EditorFreqFor(defaults[static_cast<std::size_t>(b)]);
        ShowBandField(b, kFieldGain, 0.0);
        ShowGraphBand(b, kFieldGain, 0.0);
        ShowBandField(b, kFieldFreq, hz);
        ShowGraphBand(b, kFieldFreq, hz);
        controls_.SetBandNote(b, kFieldGain, std::wstring());
        controls_.SetBandNote(b, kFieldFreq, std::wstring());
        SendAgain(BandCode(b, EqField::kFrequency));
        SendAgain(BandCode(b, EqField::kGain));
    }
}

void StripPage::SelectMic(bool mic_b) {
    ShowCheck(kMicAButton, mic_b ? kCheckReleased : kCheckPressed);
    ShowCheck(kMicBButton, mic_b ? kCheckPressed : kCheckReleased);
    const auto stored = [this](std::size_t index) -> int {
        return edits_ != nullptr ? edits_->Stored(index) : 0;
    };
    const layout::EqBlock& block = mic_b ? layout::kMicBEq : layout::kMicAEq;
    constexpr std::array<EqField, 4> kOrder{EqField::kType, EqField::kFrequency, EqField::kQ, EqField::kGain};
    for (int b = 0; b < descriptor_->band_count && b < block.bands; ++b) {
        for (EqField field : kOrder)
            SetCodeValue(BandCode(b, field), stored(layout::EqBlockIndex(block, b, field)));
    }
    for (const layout::MicTargetRow& row : layout::MicTargetRows()) {
        if (layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, row.code))
            continue;
        SetCodeValue(row.code, stored(mic_b ? row.mic_b : row.mic_a));
    }
    controls_.PostMicSelected(mic_b ? kMicSelectedB : kMicSelectedA);
}

}  // namespace vela
