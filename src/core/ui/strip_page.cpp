#include "core/ui/strip_page.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/model/value_scales.h"

namespace vela {

namespace {

using layout::EqField;

constexpr unsigned Page(int id) {
    return 1u << id;
}
constexpr unsigned kMusic = Page(layout::kMusicPage);
constexpr unsigned kMic = Page(layout::kMicPage);
constexpr unsigned kInputs = kMusic | kMic;
constexpr unsigned kStereo = Page(layout::kMainPage) | Page(layout::kRearPage);
constexpr unsigned kMono = Page(layout::kCenterPage) | Page(layout::kSubPage);
constexpr unsigned kOutputs = kStereo | kMono;
constexpr unsigned kEcho = Page(layout::kEchoPage);
constexpr unsigned kReverb = Page(layout::kReverbPage);
constexpr unsigned kEffects = kEcho | kReverb;

// Band editor fields.
constexpr int kGainField = 0;
constexpr int kFreqField = 1;
constexpr int kQField = 2;
constexpr int kTypeField = 3;

constexpr int kHighPassHandle = 0;
constexpr int kLowPassHandle = 1;

constexpr double kOutputDelayMs = 20.0;
constexpr double kEchoPreDelayMs = 200.0;
constexpr double kEchoTapMs = 500.0;
constexpr double kEchoRightDelayMs = 250.0;
constexpr double kRepeatPercent = 90.0;
constexpr double kLevelMax = 100.0;
constexpr double kInputHighPassLast = 143.0;  // 303 Hz

// clang-format off
const ValueSlot kInputSlots[] = {
    {9, 73, SlotKind::kThreshold, 0, kThresholdPositions - 1, 0, 0, str::kThreshold, L'A', -1, kMic},
    {10, 74, SlotKind::kAttack, 0, kAttackTable.size() - 1, 0, 0, str::kAttack, L'A', -1, kMic},
    {11, 75, SlotKind::kRelease, 0, kReleaseTable.size() - 1, 0, 0, str::kRelease, L'A', -1, kMic},
    {12, 76, SlotKind::kRatio, 0, kRatioTable.size() - 1, 0, 0, str::kRatio, L'A', -1, kMic},
    {14, 78, SlotKind::kHighPass, 0, kInputHighPassLast, 0, 0, str::kMusicVol, L'A', -1, kInputs},
    {15, 80, SlotKind::kLowPassShort, 0, kLpfScaleLast, 0, 0, str::kMusicVol, L'A', -1, kInputs},
    {16, 83, SlotKind::kMicVolume, 0, kMicVolumeMax, kMicVolumeMax, 0, str::kMicVolA, L'A', -1, 0},
    {17, 84, SlotKind::kMicVolume, 0, kMicVolumeMax, kMicVolumeMax, 0, str::kMicVolB, L'A', -1, 0},
    {18, 86, SlotKind::kKeyShift, 0, kKeyShiftMax, 0, 0, str::kMusicVol, L'A', -1, 0},
};

const ValueSlot kOutputSlots[] = {
    {0, 44, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kMusicVol, L'A', -1, kOutputs},
    {1, 45, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kDirVol, L'A', -1, kOutputs},
    {2, 46, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kEchoVol, L'A', -1, kOutputs},
    {3, 47, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kReverbVol, L'A', -1, kOutputs},
    {7, 51, SlotKind::kDelay, 0, kOutputDelayMs, 0, kOutputDelayMs + 1, str::kLeftDelayDecimal, L'A', 0, kStereo},
    {8, 52, SlotKind::kDelay, 0, kOutputDelayMs, 0, kOutputDelayMs + 1, str::kDelayDecimal, L'A', 1, kMono},
    {9, 53, SlotKind::kThreshold, 0, kThresholdPositions - 1, 0, 0, str::kThreshold, L'A', -1, kOutputs},
    {10, 54, SlotKind::kAttack, 0, kAttackTable.size() - 1, 0, 0, str::kAttack, L'A', -1, kOutputs},
    {11, 55, SlotKind::kRelease, 0, kReleaseTable.size() - 1, 0, 0, str::kRelease, L'A', -1, kOutputs},
    {12, 56, SlotKind::kRatio, 0, kRatioTable.size() - 1, 0, 0, str::kRatio, L'A', -1, kOutputs},
    {13, 57, SlotKind::kDelay, 0, kOutputDelayMs, 0, kOutputDelayMs + 1, str::kRightDelayDecimal, L'A', 2, kStereo},
    {14, 58, SlotKind::kHighPass, 0, kFreqScaleLast, 0, 0, str::kMusicVol, L'A', -1, kOutputs},
    {15, 60, SlotKind::kLowPass, 1, kFreqScaleLast, kFreqScaleLast, 0, str::kMusicVol, L'A', -1, kOutputs},
};

const ValueSlot kEffectSlots[] = {
    {0, 42, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kEchoVol, L'A', -1, kEffects, kEcho},
    {0, 42, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kReverbVol, L'A', -1, kEffects, kReverb},
    {1, 41, SlotKind::kLevel, 0, kLevelMax, 0, 0, str::kDirVol, L'A', -1, kEffects},
    {2, 43, SlotKind::kHighPass, 0, kFreqScaleLast, 0, 0, str::kMusicVol, L'A', -1, kEffects},
    {3, 44, SlotKind::kLowPass, 1, kFreqScaleLast, kFreqScaleLast, 0, str::kMusicVol, L'A', -1, kEffects},
    {4, 47, SlotKind::kEchoLeftPre, 0, kEchoPreDelayMs, 0, 0, str::kMusicVol, L'A', -1, kEcho},
    {5, 48, SlotKind::kEchoTapDelay, 0, kEchoTapMs, 0, 0, str::kMusicVol, L'A', -1, kEcho},
    {6, 51, SlotKind::kEchoTapRepeat, 0, kRepeatPercent, 0, 0, str::kMusicVol, L'A', -1, kEcho},
    {7, 49, SlotKind::kEchoRightPre, 0, kEchoPreDelayMs, 0, 0, str::kMusicVol, L'A', -1, kEcho},
    {8, 50, SlotKind::kEchoRightDelay, 0, kEchoRightDelayMs, 0, kEchoRightDelayMs, str::kMusicVol, L'A', -1, kEcho},
    {9, 56, SlotKind::kEchoTapDelay, 0, kEchoTapMs, 0, 0, str::kMusicVol, L'B', -1, kEcho},
    {10, 55, SlotKind::kEchoTapRepeat, 0, kRepeatPercent, 0, 0, str::kMusicVol, L'B', -1, kEcho},
    {11, 52, SlotKind::kReverbPre, 0, kEchoPreDelayMs, 0, 0, str::kMusicVol, L'A', -1, kReverb},
    {12, 53, SlotKind::kReverbTime, 0, kReverbTimeSize - 1, 0, 0, str::kMusicVol, L'A', -1, kReverb},
};

const StripDescriptor kInput{StripKind::kInput, 15, layout::EqCodes::kInput, 60, 79, 81, 88, 19, 6, 8, 3,
                             3, 4, 19.0, 303.0, 5990.0, 20600.0, false};
const StripDescriptor kOutput{StripKind::kOutput, layout::kOutputBands, layout::EqCodes::kOutput, 40, 59, 61,
                              65, 16, 5, 5, 2, 3, 4, 19.0, 20600.0, 19.7, 20600.0, true};
const StripDescriptor kEffect{StripKind::kEffect, 5, layout::EqCodes::kOutput, 40, 45, 46, 58, 13, 2, 5, 2,
                              0, 1, 19.0, 20600.0, 19.7, 20600.0, false};
// clang-format on

constexpr std::array<double, 15> kInputDefaults{40,   63,   100,  160,  250,   400,   630,  1000,
                                                1600, 2500, 4000, 6300, 10000, 14000, 16000};
constexpr std::array<double, 7> kOutputDefaults{101, 250, 400, 1000, 2520, 4000, 10100};
constexpr std::array<double, 7> kSubDefaults{25, 50, 100, 200, 400, 600, 1000};
constexpr std::array<double, 5> kEffectDefaults{125, 250, 1000, 2500, 8000};

// Output pages' mute buttons and their codes.
constexpr std::array<int, 3> kMuteCodes{41, 42, 43};
constexpr std::array<unsigned, 3> kMuteShownOn{kStereo, kMono, kStereo};
constexpr int kFbxCode = 82;

int Position(double v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(v)) : 0;
}

bool HasPage(unsigned mask, int page_id) {
    return page_id >= 0 && page_id < 32 && (mask & Page(page_id)) != 0;
}

}  // namespace

const StripDescriptor& DescriptorFor(StripKind kind) {
    switch (kind) {
        case StripKind::kInput:
            return kInput;
        case StripKind::kOutput:
            return kOutput;
        case StripKind::kEffect:
            break;
    }
    return kEffect;
}

StripKind StripKindFor(int page_id) {
    if (HasPage(kInputs, page_id))
        return StripKind::kInput;
    if (HasPage(kEffects, page_id))
        return StripKind::kEffect;
    return StripKind::kOutput;
}

StripPage::StripPage(int page_id, IStripControls& controls)
    : page_id_(page_id),
      kind_(StripKindFor(page_id)),
      descriptor_(&DescriptorFor(kind_)),
      controls_(controls) {
    std::span<const ValueSlot> all;
    switch (kind_) {
        case StripKind::kInput:
            all = kInputSlots;
            break;
        case StripKind::kOutput:
            all = kOutputSlots;
            break;
        case StripKind::kEffect:
            all = kEffectSlots;
            break;
    }
    for (const ValueSlot& s : all) {
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
    switch (kind_) {
        case StripKind::kInput:
            return kInputDefaults;
        case StripKind::kOutput:
            if (page_id_ == layout::kSubPage)
                return kSubDefaults;
            return kOutputDefaults;
        case StripKind::kEffect:
            break;
    }
    return kEffectDefaults;
}

void StripPage::Initialise() {
    for (const ValueSlot& s : slots_) {
        SetPosition(s, s.initial);
        if (s.kind == SlotKind::kHighPass)
            controls_.SetGraphPassFreq(kHighPassHandle,
                                       FreqPlacementFor(kFreqCodeOff, FreqScaleKind::kFull).graph_hz);
        if (s.kind == SlotKind::kLowPass)
            controls_.SetGraphPassFreq(kLowPassHandle, FreqAt(s.initial));
        if (s.kind == SlotKind::kLowPassShort)
            controls_.SetGraphPassFreq(kLowPassHandle, LpfFreqAt(s.initial));
        Relabel(s);
    }
    controls_.SetComboItem(kHighPassCombo, 0);
    controls_.SetComboItem(kLowPassCombo, 0);
    controls_.SetGraphPassType(SlopeCodeFor(0, FilterSide::kHighPass));
    controls_.SetGraphPassType(SlopeCodeFor(0, FilterSide::kLowPass));
    if (kind_ == StripKind::kOutput) {
        for (int b = 0; b < 3; ++b)
            controls_.SetButtonCheck(b, kCheckReleased);
    }
    if (page_id_ == layout::kMicPage) {
        controls_.SetComboItem(kFbxCombo, 0);
        controls_.SetButtonCheck(kMicAButton, kCheckPressed);
        controls_.SetButtonCheck(kMicBButton, kCheckReleased);
    }
    // Until the device's values arrive each band stands at its RESET frequency, and the graph shows what
    // the editors show: a handle pressed before then must find nothing to change.
    const std::span<const double> defaults = DefaultFrequencies();
    for (int b = 0; b < descriptor_->band_count; ++b) {
        if (b < static_cast<int>(defaults.size()))
            controls_.SetBandField(b, kFreqField, defaults[static_cast<std::size_t>(b)]);
        controls_.SetGraphBandType(b, static_cast<int>(controls_.BandField(b, kTypeField)));
        controls_.SetGraphBandFreq(b, controls_.BandField(b, kFreqField));
        controls_.SetGraphBandQ(b, controls_.BandField(b, kQField));
        controls_.SetGraphBandGain(b, controls_.BandField(b, kGainField));
    }
    RewriteFixedTexts();
}

int StripPage::BandCode(int band, EqField field) const {
    return layout::EqCode(descriptor_->band_codes, band, field);
}

void StripPage::SetPosition(const ValueSlot& s, double v) {
    if (s.kind == SlotKind::kLevel) {
        const Level level = LevelFromCode(Position(v));
        const int held = std::clamp(level.level, static_cast<int>(s.lower), static_cast<int>(s.upper));
        controls_.SetValue(s.slot, LevelCodeFor(held, level.toggle));
        return;
    }
    controls_.SetValue(s.slot, std::isfinite(v) ? std::clamp(v, s.lower, s.upper) : s.lower);
}

int StripPage::RawOf(const ValueSlot& s) {
    const double v = controls_.Value(s.slot);
    const int p = Position(v);
    switch (s.kind) {
        case SlotKind::kLevel:
        case SlotKind::kMicVolume:
            return s.kind == SlotKind::kLevel ? static_cast<int>(std::trunc(v)) : MicVolumeCodeFor(p);
        case SlotKind::kThreshold:
            return ThresholdCodeFor(p);
        case SlotKind::kAttack:
            return AttackAt(p);
        case SlotKind::kRelease:
            return ReleaseAt(p);
        case SlotKind::kRatio:
            return RatioAt(p);
        case SlotKind::kHighPass:
        case SlotKind::kLowPass:
            return FreqCodeFor(FreqAt(p));
        case SlotKind::kLowPassShort:
            return FreqCodeFor(LpfFreqAt(p));
        case SlotKind::kDelay:
        case SlotKind::kEchoLeftPre:
        case SlotKind::kEchoRightPre:
        case SlotKind::kEchoRightDelay:
        case SlotKind::kEchoTapDelay:
        case SlotKind::kReverbPre:
            return DelayCodeFor(v);
        case SlotKind::kKeyShift:
        case SlotKind::kEchoTapRepeat:
            return p;
        case SlotKind::kReverbTime:
            return ReverbTimeAt(p);
    }
    return 0;
}

void StripPage::Place(const ValueSlot& s, int raw) {
    switch (s.kind) {
        case SlotKind::kLevel:
            SetPosition(s, raw);
            return;
        case SlotKind::kThreshold:
            SetPosition(s, ThresholdPositionFor(raw));
            return;
        case SlotKind::kAttack:
            SetPosition(s, AttackPositionFor(raw));
            return;
        case SlotKind::kRelease:
            SetPosition(s, ReleasePositionFor(raw));
            return;
        case SlotKind::kRatio:
            SetPosition(s, RatioPositionFor(raw));
            return;
        case SlotKind::kHighPass:
        case SlotKind::kLowPass:
        case SlotKind::kLowPassShort: {
            const FreqPlacement placement = FreqPlacementFor(
                raw, s.kind == SlotKind::kLowPassShort ? FreqScaleKind::kShortLowPass : FreqScaleKind::kFull);
            controls_.SetGraphPassFreq(s.kind == SlotKind::kHighPass ? kHighPassHandle : kLowPassHandle,
                                       placement.graph_hz);
            SetPosition(s, placement.position);
            return;
        }
        case SlotKind::kMicVolume:
            SetPosition(s, MicVolumePositionFor(raw));
            return;
        case SlotKind::kKeyShift:
        case SlotKind::kEchoTapRepeat:
            SetPosition(s, raw);
            return;
        case SlotKind::kEchoTapDelay:
            // The tap B delay is placed in whole milliseconds; the other delays keep a tenth.
            SetPosition(s, s.code == 56 ? static_cast<double>(raw / 10) : DelayFromCode(raw));
            return;
        case SlotKind::kDelay:
        case SlotKind::kEchoLeftPre:
        case SlotKind::kEchoRightPre:
        case SlotKind::kEchoRightDelay:
        case SlotKind::kReverbPre:
            SetPosition(s, DelayFromCode(raw));
            return;
        case SlotKind::kReverbTime:
            if (const std::optional<int> p = ReverbPositionFor(raw))
                SetPosition(s, *p);
            return;
    }
}

void StripPage::Relabel(const ValueSlot& s) {
    const double v = controls_.Value(s.slot);
    const int p = Position(v);
    std::wstring text;
    switch (s.kind) {
        case SlotKind::kLevel:
            text = LevelText(s.caption, static_cast<int>(std::trunc(v)));
            break;
        case SlotKind::kThreshold:
            text = ThresholdText(p);
            break;
        case SlotKind::kAttack:
            text = AttackText(AttackAt(p));
            break;
        case SlotKind::kRelease:
            text = ReleaseText(ReleaseAt(p));
            break;
        case SlotKind::kRatio:
            text = RatioText(RatioAt(p));
            break;
        case SlotKind::kHighPass:
            text = HpfFreqText(FreqAt(p));
            break;
        case SlotKind::kLowPass:
            text = LpfFreqText(FreqAt(p), LpfOff::kNever);
            break;
        case SlotKind::kLowPassShort:
            text = LpfFreqText(LpfFreqAt(p), LpfOff::kAtTop);
            break;
        case SlotKind::kDelay: {
            const DelayLabel label = s.distance_label == 0   ? DelayLabel::kLeft
                                     : s.distance_label == 1 ? DelayLabel::kMono
                                                             : DelayLabel::kRight;
            text = DelayText(label, v);
            controls_.SetLabelCaption(s.distance_label, DelayDistanceText(v));
            break;
        }
        case SlotKind::kMicVolume:
            text = MicVolumeText(s.caption, p);
            break;
        case SlotKind::kKeyShift:
            text = KeyShiftText(p);
            break;
        case SlotKind::kEchoLeftPre:
            text = EchoLeftPreDelayText(v);
            break;
        case SlotKind::kEchoRightPre:
            text = EchoRightPreDelayText(v);
            break;
        case SlotKind::kEchoRightDelay:
            text = EchoRightDelayText(v);
            break;
        case SlotKind::kEchoTapDelay:
            text = EchoTapDelayText(s.tap, v);
            break;
        case SlotKind::kEchoTapRepeat:
            text = EchoTapRepeatText(s.tap, static_cast<int>(std::trunc(v)));
            break;
        case SlotKind::kReverbPre:
            text = ReverbPreDelayText(v);
            break;
        case SlotKind::kReverbTime:
            text = ReverbTimeText(ReverbTimeAt(p));
            break;
    }
    controls_.SetValueCaption(s.slot, text);
}

int StripPage::GetCodeValue(int code) {
    if (const auto bf = layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, code)) {
        switch (bf->field) {
            case EqField::kType:
                return static_cast<int>(controls_.BandField(bf->band, kTypeField));
            case EqField::kFrequency:
                return FreqToCode(controls_.BandField(bf->band, kFreqField));
            case EqField::kQ:
                return QCodeFor(controls_.BandField(bf->band, kQField));
            case EqField::kGain:
                return GainCodeFor(controls_.BandField(bf->band, kGainField));
        }
    }
    if (code == descriptor_->eq_pass_code)
        return controls_.GraphEqActive() >= 1 ? 1 : 0;
    if (code == descriptor_->high_pass_slope_code)
        return SlopeCodeFor(controls_.ComboItem(kHighPassCombo), FilterSide::kHighPass);
    if (code == descriptor_->low_pass_slope_code)
        return SlopeCodeFor(controls_.ComboItem(kLowPassCombo), FilterSide::kLowPass);
    if (kind_ == StripKind::kInput && code == kFbxCode)
        return std::clamp(controls_.ComboItem(kFbxCombo), 0, kFbxItems - 1);
    if (kind_ == StripKind::kOutput) {
        for (std::size_t b = 0; b < kMuteCodes.size(); ++b) {
            if (code == kMuteCodes[b])
                return controls_.ButtonCheck(static_cast<int>(b)) == kCheckPressed ? 1 : 0;
        }
    }
    if (const ValueSlot* s = SlotFor(code))
        return RawOf(*s);
    return 0;
}

void StripPage::SetCodeValue(int code, int raw) {
    if (const auto bf = layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, code)) {
        const int b = bf->band;
        switch (bf->field) {
            case EqField::kType:
                controls_.SetGraphBandType(b, raw);
                controls_.SetBandField(b, kTypeField, raw);
                return;
            case EqField::kFrequency: {
                const double hz = CodeToFreq(raw);
                controls_.SetGraphBandFreq(b, hz);
                controls_.SetBandField(b, kFreqField, hz);
                return;
            }
            case EqField::kQ: {
                const double q = QFromCode(raw);
                controls_.SetGraphBandQ(b, q);
                controls_.SetBandField(b, kQField, q);
                return;
            }
            case EqField::kGain: {
                const double db = GainFromCode(raw);
                controls_.SetGraphBandGain(b, db);
                controls_.SetBandField(b, kGainField, db);
                return;
            }
        }
        return;
    }
    if (code == descriptor_->eq_pass_code) {
        controls_.SetGraphEqActive(raw >= 1 ? 1 : 0);
        return;
    }
    if (code == descriptor_->high_pass_slope_code || code == descriptor_->low_pass_slope_code) {
        controls_.SetGraphPassType(raw);
        controls_.SetComboItem(code == descriptor_->high_pass_slope_code ? kHighPassCombo : kLowPassCombo,
                               SlopeItemFor(raw));
        return;
    }
    if (kind_ == StripKind::kInput && code == kFbxCode) {
        controls_.SetComboItem(kFbxCombo, std::clamp(raw, 0, kFbxItems - 1));
        return;
    }
    if (kind_ == StripKind::kOutput) {
        for (std::size_t b = 0; b < kMuteCodes.size(); ++b) {
            if (code == kMuteCodes[b]) {
                controls_.SetButtonCheck(static_cast<int>(b), raw >= 1 ? kCheckPressed : kCheckReleased);
                return;
            }
        }
    }
    if (const ValueSlot* s = SlotFor(code)) {
        Place(*s, raw);
        Relabel(*s);
        // The raw value stays in the table; the control says it shows something else.
        controls_.SetValueNote(s->slot, RawOf(*s) == raw ? std::wstring() : DeviceValueNote(raw));
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
    return page_id_ == layout::kMicPage && controls_.ButtonCheck(kMicAButton) == kCheckPressed;
}

bool StripPage::MicBPressed() {
    return page_id_ == layout::kMicPage && controls_.ButtonCheck(kMicBButton) == kCheckPressed;
}

void StripPage::OnBandEditor(int band, int field) {
    if (band < 0 || band >= descriptor_->band_count)
        return;
    const double x = controls_.BandField(band, field);
    switch (field) {
        case kGainField:
            controls_.SetGraphBandGain(band, x);
            controls_.SendCode(BandCode(band, EqField::kGain));
            return;
        case kFreqField:
            controls_.SetGraphBandFreq(band, x);
            controls_.SendCode(BandCode(band, EqField::kFrequency));
            return;
        case kQField:
            controls_.SetGraphBandQ(band, x);
            controls_.SendCode(BandCode(band, EqField::kQ));
            return;
        case kTypeField:
            controls_.SetGraphBandType(band, static_cast<int>(x));
            controls_.SendCode(BandCode(band, EqField::kType));
            return;
        default:
            return;
    }
}

void StripPage::OnValueControl(int slot) {
    const ValueSlot* s = SlotAt(slot);
    if (s == nullptr)
        return;
    const int p = Position(controls_.Value(slot));
    if (s->kind == SlotKind::kHighPass)
        controls_.SetGraphPassFreq(kHighPassHandle, FreqAt(p));
    else if (s->kind == SlotKind::kLowPass)
        controls_.SetGraphPassFreq(kLowPassHandle, FreqAt(p));
    else if (s->kind == SlotKind::kLowPassShort)
        controls_.SetGraphPassFreq(kLowPassHandle, LpfFreqAt(p));
    controls_.SendCode(s->code);
    Relabel(*s);
    controls_.SetValueNote(s->slot, std::wstring());
}

void StripPage::OnGraph(int kind, int band) {
    if (kind == kGraphHighPass || kind == kGraphLowPass) {
        for (const ValueSlot& s : slots_) {
            const bool high = s.kind == SlotKind::kHighPass;
            if (!(kind == kGraphHighPass
                      ? high
                      : (s.kind == SlotKind::kLowPass || s.kind == SlotKind::kLowPassShort)))
                continue;
            const double hz = controls_.GraphPassFreq(high ? kHighPassHandle : kLowPassHandle);
            SetPosition(s, s.kind == SlotKind::kLowPassShort ? LpfIndexFor(hz) : FreqIndexFor(hz));
            controls_.SendCode(s.code);
            Relabel(s);
            controls_.SetValueNote(s.slot, std::wstring());
            return;
        }
        return;
    }
    if (kind == kGraphCopy || kind == kGraphPaste) {
        if (descriptor_->copy_paste)
            controls_.SendCode(kind == kGraphCopy ? kCopyEqCode : kPasteEqCode);
        return;
    }
    if (band < 0 || band >= descriptor_->band_count)
        return;
    // Only what the graph changed is sent: a handle pressed and let go where it stood writes nothing.
    constexpr std::array<EqField, 4> kSendOrder{EqField::kType, EqField::kGain, EqField::kFrequency,
                                                EqField::kQ};
    std::array<int, kSendOrder.size()> before{};
    for (std::size_t i = 0; i < kSendOrder.size(); ++i)
        before[i] = GetCodeValue(BandCode(band, kSendOrder[i]));
    controls_.SetBandField(band, kFreqField, controls_.GraphBandFreq(band));
    controls_.SetBandField(band, kQField, controls_.GraphBandQ(band));
    controls_.SetBandField(band, kGainField, controls_.GraphBandGain(band));
    controls_.SetBandField(band, kTypeField, controls_.GraphBandType(band));
    for (std::size_t i = 0; i < kSendOrder.size(); ++i) {
        const int code = BandCode(band, kSendOrder[i]);
        if (GetCodeValue(code) != before[i])
            controls_.SendCode(code);
    }
}

void StripPage::OnCombo(int combo) {
    if (combo == kHighPassCombo || combo == kLowPassCombo) {
        const bool high = combo == kHighPassCombo;
        const int code =
            SlopeCodeFor(controls_.ComboItem(combo), high ? FilterSide::kHighPass : FilterSide::kLowPass);
        const int slope_code = high ? descriptor_->high_pass_slope_code : descriptor_->low_pass_slope_code;
        SetCodeValue(slope_code, code);
        controls_.SendCode(slope_code);
        return;
    }
    if (combo == kFbxCombo && ComboShown(kFbxCombo))
        controls_.SendCode(kFbxCode);
}

void StripPage::OnButton(int button) {
    if (!ButtonShown(button))
        return;
    if (kind_ == StripKind::kOutput && button >= 0 && button < 3) {
        controls_.SendCode(kMuteCodes[static_cast<std::size_t>(button)]);
        return;
    }
    switch (button) {
        case kResetButton:
            Reset();
            return;
        case kEqPassButton:
            controls_.SetGraphEqActive(controls_.GraphEqActive() < 1 ? 1 : 0);
            controls_.SendCode(descriptor_->eq_pass_code);
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
        const double hz = defaults[static_cast<std::size_t>(b)];
        controls_.SetBandField(b, kGainField, 0.0);
        controls_.SetGraphBandGain(b, 0.0);
        controls_.SetBandField(b, kFreqField, hz);
        controls_.SetGraphBandFreq(b, hz);
        controls_.SendCode(BandCode(b, EqField::kFrequency));
        controls_.SendCode(BandCode(b, EqField::kGain));
    }
}

void StripPage::SelectMic(bool mic_b) {
    controls_.SetButtonCheck(kMicAButton, mic_b ? kCheckReleased : kCheckPressed);
    controls_.SetButtonCheck(kMicBButton, mic_b ? kCheckPressed : kCheckReleased);
    const layout::EqBlock& block = mic_b ? layout::kMicBEq : layout::kMicAEq;
    constexpr std::array<EqField, 4> kOrder{EqField::kType, EqField::kFrequency, EqField::kQ, EqField::kGain};
    for (int b = 0; b < descriptor_->band_count && b < block.bands; ++b) {
        for (EqField field : kOrder)
            SetCodeValue(BandCode(b, field), controls_.ReadParameter(layout::EqBlockIndex(block, b, field)));
    }
    for (const layout::MicTargetRow& row : layout::MicTargetRows()) {
        if (layout::EqFieldForCode(descriptor_->band_codes, descriptor_->band_count, row.code))
            continue;
        SetCodeValue(row.code, controls_.ReadParameter(mic_b ? row.mic_b : row.mic_a));
    }
    controls_.PostMicSelected(mic_b ? kMicSelectedB : kMicSelectedA);
}

}  // namespace vela
