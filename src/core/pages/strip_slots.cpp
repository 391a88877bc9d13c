#include "core/pages/strip_slots.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/model/value_scales.h"

namespace vela {

namespace {

using page_bits::kEcho;
using page_bits::kEffects;
using page_bits::kInputs;
using page_bits::kMic;
using page_bits::kMono;
using page_bits::kOutputs;
using page_bits::kReverb;
using page_bits::kStereo;

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
    {15, 80, SlotKind::kLowPassShort, 0, kLpfScaleLast, kLpfScaleLast, 0, str::kMusicVol, L'A', -1, kInputs},
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

int Position(double v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(v)) : 0;
}

}  // namespace

bool HasPage(unsigned mask, int page_id) {
    return page_id >= 0 && page_id < 32 && (mask & page_bits::Page(page_id)) != 0;
}

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
    if (HasPage(page_bits::kInputs, page_id))
        return StripKind::kInput;
    if (HasPage(page_bits::kEffects, page_id))
        return StripKind::kEffect;
    return StripKind::kOutput;
}

std::span<const ValueSlot> SlotsOf(StripKind kind) {
    switch (kind) {
        case StripKind::kInput:
            return kInputSlots;
        case StripKind::kOutput:
            return kOutputSlots;
        case StripKind::kEffect:
            break;
    }
    return kEffectSlots;
}

std::span<const double> DefaultFrequenciesFor(int page_id) {
    switch (StripKindFor(page_id)) {
        case StripKind::kInput:
            return kInputDefaults;
        case StripKind::kOutput:
            if (page_id == layout::kSubPage)
                return kSubDefaults;
            return kOutputDefaults;
        case StripKind::kEffect:
            break;
    }
    return kEffectDefaults;
}

double SlotHeld(const ValueSlot& s, double v) {
    if (s.kind == SlotKind::kLevel) {
        const Level level = LevelFromCode(Position(v));
        const int held = std::clamp(level.level, static_cast<int>(s.lower), static_cast<int>(s.upper));
        return LevelCodeFor(held, level.toggle);
    }
    return std::isfinite(v) ? std::clamp(v, s.lower, s.upper) : s.lower;
}

int SlotRaw(const ValueSlot& s, double v) {
    const int p = Position(v);
    switch (s.kind) {
        case SlotKind::kLevel:
            return static_cast<int>(std::trunc(v));
        case SlotKind::kMicVolume:
            return MicVolumeCodeFor(p);
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
        case SlotKind::kLowPassShort:
            return FreqCodeFor(PassHzAt(s, v));
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

std::optional<double> SlotPlace(const ValueSlot& s, int raw) {
    double v = 0.0;
    switch (s.kind) {
        case SlotKind::kLevel:
        case SlotKind::kKeyShift:
        case SlotKind::kEchoTapRepeat:
            v = raw;
            break;
        case SlotKind::kThreshold:
            v = ThresholdPositionFor(raw);
            break;
        case SlotKind::kAttack:
            v = AttackPositionFor(raw);
            break;
        case SlotKind::kRelease:
            v = ReleasePositionFor(raw);
            break;
        case SlotKind::kRatio:
            v = RatioPositionFor(raw);
            break;
        case SlotKind::kHighPass:
        case SlotKind::kLowPass:
        case SlotKind::kLowPassShort:
            v = FreqPlacementFor(raw, s.kind == SlotKind::kLowPassShort ? FreqScaleKind::kShortLowPass
                                                                        : FreqScaleKind::kFull)
                    .position;
            break;
        case SlotKind::kMicVolume:
            v = MicVolumePositionFor(raw);
            break;
        case SlotKind::kEchoTapDelay:
            // The tap B delay is placed in whole milliseconds; the other delays keep a tenth.
            v = s.code == 56 ? static_cast<double>(raw / 10) : DelayFromCode(raw);
            break;
        case SlotKind::kDelay:
        case SlotKind::kEchoLeftPre:
        case SlotKind::kEchoRightPre:
        case SlotKind::kEchoRightDelay:
        case SlotKind::kReverbPre:
            v = DelayFromCode(raw);
            break;
        case SlotKind::kReverbTime: {
            const std::optional<int> p = ReverbPositionFor(raw);
            if (!p)
                return std::nullopt;
            v = *p;
            break;
        }
    }
    return SlotHeld(s, v);
}

std::wstring SlotCaption(const ValueSlot& s, double v) {
    const int p = Position(v);
    switch (s.kind) {
        case SlotKind::kLevel:
            return LevelText(s.caption, static_cast<int>(std::trunc(v)));
        case SlotKind::kThreshold:
            return ThresholdText(p);
        case SlotKind::kAttack:
            return AttackText(AttackAt(p));
        case SlotKind::kRelease:
            return ReleaseText(ReleaseAt(p));
        case SlotKind::kRatio:
            return RatioText(RatioAt(p));
        case SlotKind::kHighPass:
            return HpfFreqText(FreqAt(p));
        case SlotKind::kLowPass:
            // At the top of its scale the low-pass is no filter at all, as the graph says.
            return LpfFreqText(FreqAt(p), LpfOff::kAtTop);
        case SlotKind::kLowPassShort:
            return LpfFreqText(LpfFreqAt(p), LpfOff::kAtTop);
        case SlotKind::kDelay: {
            const DelayLabel label = s.distance_label == 0   ? DelayLabel::kLeft
                                     : s.distance_label == 1 ? DelayLabel::kMono
                                                             : DelayLabel::kRight;
            return DelayText(label, v);
        }
        case SlotKind::kMicVolume:
            return MicVolumeText(s.caption, p);
        case SlotKind::kKeyShift:
            return KeyShiftText(p);
        case SlotKind::kEchoLeftPre:
            return EchoLeftPreDelayText(v);
        case SlotKind::kEchoRightPre:
            return EchoRightPreDelayText(v);
        case SlotKind::kEchoRightDelay:
            return EchoRightDelayText(v);
        case SlotKind::kEchoTapDelay:
            return EchoTapDelayText(s.tap, v);
        case SlotKind::kEchoTapRepeat:
            return EchoTapRepeatText(s.tap, static_cast<int>(std::trunc(v)));
        case SlotKind::kReverbPre:
            return ReverbPreDelayText(v);
        case SlotKind::kReverbTime:
            return ReverbTimeText(ReverbTimeAt(p));
    }
    return std::wstring();
}

int PassHandleOf(const ValueSlot& s) {
    switch (s.kind) {
        case SlotKind::kHighPass:
            return 0;
        case SlotKind::kLowPass:
        case SlotKind::kLowPassShort:
            return 1;
        default:
            return -1;
    }
}

double PassHzAt(const ValueSlot& s, double v) {
    const int p = Position(v);
    return s.kind == SlotKind::kLowPassShort ? LpfFreqAt(p) : FreqAt(p);
}

double PassHzFor(const ValueSlot& s, int raw) {
    return FreqPlacementFor(
               raw, s.kind == SlotKind::kLowPassShort ? FreqScaleKind::kShortLowPass : FreqScaleKind::kFull)
        .graph_hz;
}

}  // namespace vela
