#include "core/model/value_scales.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace vela {
namespace {

// x + 0.5 truncated toward zero, as the device's own conversions round. Held inside a range that
// converts to int without overflow; NaN gives 0.
int RoundHalfUp(double x) {
    if (!(x == x)) {
        return 0;
    }
    const double held = std::clamp(x + 0.5, -1.0e9, 1.0e9);
    return static_cast<int>(std::trunc(held));
}

int Hold(int value, int low, int high) {
    return std::clamp(value, low, high);
}

// Entries in tenths of Hz, so that codes below 100 Hz come out exact.
using TenthsScale = std::array<std::int32_t, kFreqScaleSize>;

// Three significant figures of 1000 x 2^((i - 205) / 36): one decimal below 100 Hz, whole Hz up to
// 999, tens of Hz up to 9990 and hundreds above. The device's scale differs at six points.
TenthsScale BuildTenths() {
    TenthsScale tenths{};
    for (int i = 0; i < kFreqScaleSize; ++i) {
        const double hz = 1000.0 * std::pow(2.0, (i - 205) / 36.0);
        double step = 1000.0;  // tenths per rounding step
        if (hz < 100.0) {
            step = 1.0;
        } else if (hz < 1000.0) {
            step = 10.0;
        } else if (hz < 10000.0) {
            step = 100.0;
        }
        tenths[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(hz * 10.0 / step) * step);
    }
    constexpr std::pair<int, std::int32_t> kDeviceEntries[] = {
        {25, 313}, {82, 940}, {83, 950}, {84, 970}, {85, 990}, {316, 84600},
    };
    for (const auto& [index, value] : kDeviceEntries) {
        tenths[static_cast<std::size_t>(index)] = value;
    }
    return tenths;
}

const TenthsScale& Tenths() {
    static const TenthsScale tenths = BuildTenths();
    return tenths;
}

int TenthsToCode(std::int32_t tenths) {
    return tenths < 1000 ? kFreqCodeOff + tenths : static_cast<int>(tenths / 10);
}

// Index of the smallest entry >= f, or nullopt above the scale.
std::optional<int> FirstEntryAtOrAbove(double f) {
    const auto& scale = FreqScale();
    const auto it = std::find_if(scale.begin(), scale.end(), [f](double entry) { return f <= entry; });
    if (it == scale.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - scale.begin());
}

template <std::size_t N>
std::optional<int> FirstPositionAtOrAbove(const std::array<int, N>& table, int raw, int last) {
    for (int p = 0; p <= last; ++p) {
        if (table[static_cast<std::size_t>(p)] >= raw) {
            return p;
        }
    }
    return std::nullopt;
}

template <std::size_t N>
int EntryAt(const std::array<int, N>& table, int position) {
    return table[static_cast<std::size_t>(Hold(position, 0, static_cast<int>(N) - 1))];
}

struct SlopeItem {
    std::wstring_view text;
    int high_pass_code;
};
constexpr std::array<SlopeItem, kSlopeItemCount> kSlopeItems{{
    {L"Bessel 12db", 10},
    {L"Bessel 24db", 22},
    {L"Butterworth 12db", 8},
    {L"Butterworth 24db", 20},
    {L"Link Riley 12db", 12},
    {L"Link Riley 24db", 24},
}};

std::wstring Join(std::wstring_view a, std::wstring_view b) {
    std::wstring joined(a);
    joined += b;
    return joined;
}

}  // namespace

const std::array<double, kFreqScaleSize>& FreqScale() {
    static const std::array<double, kFreqScaleSize> scale = [] {
        std::array<double, kFreqScaleSize> hz{};
        for (std::size_t i = 0; i < hz.size(); ++i)
            hz[i] = Tenths()[i] / 10.0;
        return hz;
    }();
    return scale;
}

double FreqAt(double x) {
    const int n = RoundHalfUp(x) % kFreqScaleSize;
    return FreqScale()[static_cast<std::size_t>(n < 0 ? n + kFreqScaleSize : n)];
}

double LpfFreqAt(double x) {
    return FreqScale()[static_cast<std::size_t>(kLpfScaleFirst + Hold(RoundHalfUp(x), 0, kLpfScaleLast))];
}

int FreqIndexFor(double f) {
    return FirstEntryAtOrAbove(f).value_or(kFreqScaleLast);
}

int LpfIndexFor(double f) {
    const auto index = FirstEntryAtOrAbove(f);
    return index ? *index - kLpfScaleFirst : kLpfScaleLast;
}

double SnapFreq(double v) {
    if (v >= kFreqCodeOff) {
        v = (v - kFreqCodeOff) / 10.0;
    }
    if (v < kFreqLowestReal) {
        return kFreqOffEntry;
    }
    return FreqScale()[static_cast<std::size_t>(FreqIndexFor(v))];
}

int FreqCodeFor(double f) {
    if (f < kFreqLowestReal) {
        return kFreqCodeOff;
    }
    return TenthsToCode(Tenths()[static_cast<std::size_t>(FreqIndexFor(f))]);
}

int FreqToCode(double hz) {
    if (!(hz > 0.0)) {
        return kFreqCodeOff;
    }
    if (hz < 100.0) {
        return kFreqCodeOff + RoundHalfUp(hz * 10.0);
    }
    // Whole Hz must stay below the off code, or they would read back as a low frequency.
    return std::min(RoundHalfUp(hz), kFreqCodeOff - 1);
}

double CodeToFreq(int raw) {
    return raw >= kFreqCodeOff ? (raw - kFreqCodeOff) / 10.0 : static_cast<double>(raw);
}

FreqPlacement FreqPlacementFor(int raw, FreqScaleKind kind) {
    constexpr double kBelowGraph = 10.0;
    if (raw == kFreqCodeOff) {
        return {kBelowGraph, FreqIndexFor(kBelowGraph)};
    }
    const double hz = CodeToFreq(raw);
    if (kind == FreqScaleKind::kShortLowPass) {
        return {hz, std::max(LpfIndexFor(hz), 0)};
    }
    return {hz, FreqIndexFor(hz)};
}

double EqFreqEntry(int index, double first) {
    const int i = Hold(index, 0, kFreqScaleLast);
    return i == 0 ? first : FreqScale()[static_cast<std::size_t>(i)];
}

int EqFreqPosition(double f, double first) {
    if (!(f > first)) {
        return 0;
    }
    // Entry 0 of these tables is `first`, already passed: the answer is at index 1 or above.
    return std::max(FirstEntryAtOrAbove(f).value_or(kFreqScaleLast), 1);
}

int QPosition(double q) {
    if (!(q > kQLowest)) {
        return 0;
    }
    const auto it = std::lower_bound(kQTable.begin(), kQTable.end(), q);
    return it == kQTable.end() ? kQTableLast : static_cast<int>(it - kQTable.begin());
}

double SnapQ(double q) {
    return kQTable[static_cast<std::size_t>(QPosition(q))];
}

std::wstring_view SlopeItemText(int item) {
    return kSlopeItems[static_cast<std::size_t>(Hold(item, 0, kSlopeItemCount - 1))].text;
}

int SlopeItemFor(int code) {
    switch (code) {
        case 8:
        case 9:
            return 2;
        case 12:
        case 13:
            return 4;
        case 20:
        case 21:
            return 3;
        case 22:
        case 23:
            return 1;
        case 24:
        case 25:
            return 5;
        default:
            return 0;
    }
}

int SlopeCodeFor(int item, FilterSide side) {
    const int valid_item = item >= 0 && item < kSlopeItemCount ? item : 0;
    return kSlopeItems[static_cast<std::size_t>(valid_item)].high_pass_code +
           (side == FilterSide::kLowPass ? 1 : 0);
}

int AttackAt(int position) {
    return EntryAt(kAttackTable, position);
}
int ReleaseAt(int position) {
    return EntryAt(kReleaseTable, position);
}
int RatioAt(int position) {
    return EntryAt(kRatioTable, position);
}
int GateThresholdAt(int position) {
    return kGateTable[static_cast<std::size_t>(Hold(position, 0, kGateLastPosition))];
}

int ReverbTimeAt(int position) {
    const int p = Hold(position, 0, kReverbTimeSize - 1);
    // floor(62.5 x p) up to position 80 (5000 ms); position 81 repeats 5000.
    return std::min(p, kReverbTimeSize - 2) * 125 / 2;
}

int AttackPositionFor(int raw) {
    return FirstPositionAtOrAbove(kAttackTable, raw, static_cast<int>(kAttackTable.size()) - 1)
        .value_or(static_cast<int>(kAttackTable.size()) - 1);
}
int ReleasePositionFor(int raw) {
    return FirstPositionAtOrAbove(kReleaseTable, raw, static_cast<int>(kReleaseTable.size()) - 1)
        .value_or(static_cast<int>(kReleaseTable.size()) - 1);
}
int RatioPositionFor(int raw) {
    return FirstPositionAtOrAbove(kRatioTable, raw, static_cast<int>(kRatioTable.size()) - 1)
        .value_or(static_cast<int>(kRatioTable.size()) - 1);
}

std::optional<int> ReverbPositionFor(int raw) {
    for (int p = 0; p <= kReverbTimeSize - 2; ++p) {
        if (ReverbTimeAt(p) >= raw) {
            return p;
        }
    }
    return std::nullopt;
}

std::optional<int> GatePositionFor(int raw) {
    return FirstPositionAtOrAbove(kGateTable, raw, kGateLastPosition);
}

int GainCodeFor(double db) {
    return RoundHalfUp(db * 10.0 + kGainZero);
}
double GainFromCode(int raw) {
    return (raw - kGainZero) / 10.0;
}
int QCodeFor(double q) {
    return RoundHalfUp(q * 100.0);
}
double QFromCode(int raw) {
    return raw / 100.0;
}

int LevelCodeFor(int level, bool toggle) {
    return level + (toggle ? kLevelToggle : 0);
}

Level LevelFromCode(int raw) {
    if (raw >= kLevelToggle) {
        return {raw - kLevelToggle, true};
    }
    return {raw, false};
}

int ThresholdCodeFor(int position) {
    return position + kThresholdOffset;
}
int ThresholdPositionFor(int raw) {
    return Hold(raw - kThresholdOffset, 0, kThresholdPositions - 1);
}

int DelayCodeFor(double ms) {
    return RoundHalfUp(ms * 10.0);
}
double DelayFromCode(int raw) {
    return raw / 10.0;
}
double DelayDistanceFor(double ms) {
    return ms * kMetresPerMs;
}

int MicVolumeCodeFor(int position) {
    return position + kMicVolumeOffset;
}
int MicVolumePositionFor(int raw) {
    return raw % kMicVolumeOffset;
}

std::optional<int> MusicSourcePositionFor(int code) {
    const auto it = std::find(kMusicSourceCodes.begin(), kMusicSourceCodes.end(), code);
    if (it == kMusicSourceCodes.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - kMusicSourceCodes.begin());
}

int PowerOnInputCodeFor(int item) {
    if (item < 1 || item >= static_cast<int>(kPowerOnInputNames.size())) {
        return 0;
    }
    return kPowerOnSourceFlag + kMusicSourceCodes[static_cast<std::size_t>(item - 1)];
}

std::optional<int> PowerOnInputItemFor(int raw) {
    const int source = raw & 0xFF;
    if (source == 0) {
        return 0;
    }
    const auto position = MusicSourcePositionFor(source);
    if (!position) {
        return std::nullopt;
    }
    return *position + 1;
}

std::wstring ThresholdText(int position) {
    return FormatText(Text(str::kThreshold), position - 20);
}
std::wstring AttackText(int raw) {
    return FormatText(Text(str::kAttack), raw / 10.0);
}
std::wstring ReleaseText(int raw) {
    return FormatText(Text(str::kRelease), raw);
}
std::wstring RatioText(int raw) {
    return FormatText(Text(str::kRatio), raw / 10.0);
}

std::wstring HpfFreqText(double hz) {
    const double f = SnapFreq(hz);
    if (f < kFreqLowestReal) {
        return std::wstring(Text(str::kHpfFreqOff));
    }
    if (f < 100.0) {
        return FormatText(Text(str::kHpfFreqDecimal), f);
    }
    return FormatText(Text(str::kHpfFreqWhole), static_cast<int>(f));
}

std::wstring LpfFreqText(double hz, LpfOff off) {
    const double f = SnapFreq(hz);
    if (off == LpfOff::kAtTop && f >= kFreqTop) {
        return std::wstring(Text(str::kLpfFreqOff));
    }
    if (f < 100.0) {
        return FormatText(Text(str::kLpfFreqDecimal), f);
    }
    return FormatText(Text(str::kLpfFreqWhole), static_cast<int>(f));
}

std::wstring LevelText(str::Id caption, int raw) {
    return FormatText(Text(caption), raw % kLevelToggle);
}

std::wstring DelayText(DelayLabel label, double ms) {
    constexpr double kWholeFrom = 50.0;
    const bool whole = ms >= kWholeFrom;
    str::Id id = whole ? str::kDelayWhole : str::kDelayDecimal;
    if (label == DelayLabel::kLeft) {
        id = whole ? str::kLeftDelayWhole : str::kLeftDelayDecimal;
    } else if (label == DelayLabel::kRight) {
        id = whole ? str::kRightDelayWhole : str::kRightDelayDecimal;
    }
    return FormatText(Text(id), ms);
}

std::wstring DelayDistanceText(double ms) {
    return FormatText(Text(str::kDelayDistance), DelayDistanceFor(ms));
}

std::wstring MicVolumeText(str::Id caption, int position) {
    return FormatText(Text(caption), static_cast<double>(position));
}

std::wstring KeyShiftText(int position) {
    if (position == kKeyShiftCentre) {
        return std::wstring(Text(str::kShiftNone));
    }
    if (position < kKeyShiftCentre) {
        return FormatText(Text(str::kShiftFlat), static_cast<double>(kKeyShiftCentre - position));
    }
    return FormatText(Text(str::kShiftSharp), static_cast<double>(position - kKeyShiftCentre));
}

std::wstring EchoLeftPreDelayText(double ms) {
    return FormatText(Text(str::kEchoLeftPreDelay), static_cast<int>(ms));
}
std::wstring EchoRightPreDelayText(double ms) {
    return FormatText(Text(str::kEchoRightPreDelay), static_cast<int>(ms));
}
std::wstring EchoRightDelayText(double ms) {
    return FormatText(Text(str::kEchoRightDelay), ms);
}

// %C takes the tap letter: a wide character to glibc and the C99 printf, a narrow one to the
// Windows runtime; an ASCII letter passed as an integer reads the same to all of them.
std::wstring EchoTapDelayText(wchar_t tap, double ms) {
    return FormatText(Join(Text(str::kEchoTapDelay), L":%5dms"), static_cast<int>(tap), static_cast<int>(ms));
}
std::wstring EchoTapRepeatText(wchar_t tap, int percent) {
    return FormatText(Join(Text(str::kEchoTapRepeat), L":%5d%%"), static_cast<int>(tap), percent);
}

std::wstring ReverbPreDelayText(double ms) {
    return FormatText(Text(str::kReverbPreDelay), static_cast<int>(ms));
}
std::wstring ReverbTimeText(int ms) {
    return FormatText(Text(str::kReverbTime), ms);
}

std::wstring SystemLevelText(str::Id caption, int position) {
    return FormatText(Text(caption), static_cast<double>(position));
}

std::wstring GateThresholdText(str::Id channel, int position) {
    return Join(Text(channel), FormatText(Text(str::kGateThreshold), static_cast<double>(position)));
}

std::wstring DeviceValueNote(int raw) {
    return FormatText(Text(extra::kDeviceValueOutOfRange), raw);
}

std::wstring FaderText(str::Id caption, double value) {
    return FormatText(Text(caption), value);
}

}  // namespace vela
