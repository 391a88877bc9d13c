// Values typed in a parameter's own terms, turned into the raw word the window's control would write.
#include <cmath>

#include "core/model/parameter_catalogue.h"
#include "core/model/parameter_catalogue_table.h"
#include "core/model/value_scales.h"

namespace vela::catalogue {

using namespace detail;

namespace {

Parsed Refuse(const Parameter& p, std::string_view text) {
    return {std::nullopt, std::string(text) + " is outside " + p.name + "'s range " + RangeText(p)};
}

Parsed Unreadable(const Parameter& p, std::string_view text) {
    return {std::nullopt, std::string(text) + " is no value of " + p.name + " (" + RangeText(p) + ")"};
}

bool Whole(double x) {
    return std::abs(x - std::round(x)) < 1e-9;
}

// The words a parameter takes: its choices, "memory" and the sources for the power-on input, "off".
std::optional<Parsed> ParseWord(const Parameter& p, std::string_view text) {
    const std::string word = Lower(text);
    for (const auto& c : ChoicesOf(p.kind)) {
        if (c.word == word)
            return Parsed{Word(c.raw), {}};
    }
    if (p.kind == Kind::kPowerOnInput) {
        if (word == "memory")
            return Parsed{0, {}};
        for (const auto& c : kSources) {
            if (c.word == word)
                return Parsed{Word(kPowerOnSourceFlag + c.raw), {}};
        }
    }
    if (word == "off" && p.kind == Kind::kHighPass)
        return Parsed{Word(kFreqCodeOff), {}};
    if (word == "off" && p.kind == Kind::kLowPassShort)
        return Parsed{Word(static_cast<long>(kFreqTop)), {}};
    return std::nullopt;
}

// Filter settings: EQ gains in dB, Q, frequencies in Hz or kHz.
Parsed ParseFilter(const Parameter& p, double v, const std::string& unit, std::string_view text) {
    if (p.kind == Kind::kEqGain) {
        if (!unit.empty() && unit != "db")
            return Unreadable(p, text);
        if (v < kEqGainLowest - 1e-9 || v > kEqGainHighest + 1e-9)
            return Refuse(p, text);
        return {Word(GainCodeFor(v)), {}};
    }
    if (p.kind == Kind::kQ) {
        if (!unit.empty() && unit != "q")
            return Unreadable(p, text);
        if (v < kQLowest - 1e-9 || v > kQHighest + 1e-9)
            return Refuse(p, text);
        return {Word(QCodeFor(SnapQ(v))), {}};
    }
    if (unit == "khz")
        v *= 1000;
    else if (!unit.empty() && unit != "hz")
        return Unreadable(p, text);
    if (p.kind == Kind::kEqFrequency) {
        if (v < kEditorFreqFirst - 1e-9 || v > kFreqTop + 1e-9)
            return Refuse(p, text);
        return {Word(FreqToCode(EqFreqEntry(EqFreqPosition(v, kEditorFreqFirst), kEditorFreqFirst))), {}};
    }
    const double lowest = p.kind == Kind::kLowPassShort ? FreqAt(kLpfScaleFirst) : kFreqLowestReal;
    const double highest = p.kind == Kind::kHighPass ? HighPassTop(p) : kFreqTop;
    if (v < lowest - 1e-9 || v > highest + 1e-9)
        return Refuse(p, text);
    return {Word(FreqCodeFor(v)), {}};
}

// Levels and repeats in percent; a strip level may end in "on" for its switch.
Parsed ParseLevel(const Parameter& p, double v, std::string unit, std::string_view text) {
    switch (p.kind) {
        case Kind::kLevel: {
            bool on = false;
            if (unit.size() >= 2 && unit.compare(unit.size() - 2, 2, "on") == 0) {
                on = true;
                unit.erase(unit.size() - 2);
                while (!unit.empty() && unit.back() == ' ')
                    unit.pop_back();
            }
            if ((!unit.empty() && unit != "%") || !Whole(v))
                return Unreadable(p, text);
            if (v < 0 || v > kLevelMax)
                return Refuse(p, text);
            return {Word(LevelCodeFor(static_cast<int>(std::lround(v)), on)), {}};
        }
        case Kind::kMaster:
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
        case Kind::kRepeat: {
            if ((!unit.empty() && unit != "%") || !Whole(v))
                return Unreadable(p, text);
            const double top = p.kind == Kind::kMaster   ? kLevelMax
                               : p.kind == Kind::kRepeat ? p.upper
                                                         : kMicVolumeMax;
            if (v < 0 || v > top)
                return Refuse(p, text);
            const long base = p.kind == Kind::kMaster || p.kind == Kind::kMicVolume ? kMicVolumeOffset : 0;
            return {Word(base + std::lround(v)), {}};
        }
        default:
            break;
    }
    return Unreadable(p, text);
}

// Delays (or the distance sound travels in them), reverb times and key shifts.
Parsed ParseTime(const Parameter& p, double v, const std::string& unit, std::string_view text) {
    switch (p.kind) {
        case Kind::kDelay: {
            if (unit == "m")
                v /= kMetresPerMs;
            else if (!unit.empty() && unit != "ms")
                return Unreadable(p, text);
            if (v < 0 || v > p.upper + 0.05)
                return Refuse(p, text);
            return {Word(std::min(DelayCodeFor(v), DelayCodeFor(p.upper))), {}};
        }
        case Kind::kReverbTime: {
            if (unit == "s")
                v *= 1000;
            else if (!unit.empty() && unit != "ms")
                return Unreadable(p, text);
            if (v < 0 || v > ReverbTimeLast() + 1e-9)
                return Refuse(p, text);
            const auto position = ReverbPositionFor(static_cast<int>(std::ceil(v - 1e-9)));
            return {Word(ReverbTimeAt(position.value_or(kReverbTimeSize - 1))), {}};
        }
        case Kind::kKeyShift:
            if ((!unit.empty() && unit != "st" && unit != "semitones") || !Whole(v))
                return Unreadable(p, text);
            if (v < -kKeyShiftCentre || v > kKeyShiftMax - kKeyShiftCentre)
                return Refuse(p, text);
            return {Word(kKeyShiftCentre + std::lround(v)), {}};
        default:
            break;
    }
    return Unreadable(p, text);
}

// The compressor's threshold, attack, release and ratio as the window shows them.
Parsed ParseDynamics(const Parameter& p, double v, const std::string& unit, std::string_view text) {
    switch (p.kind) {
        case Kind::kThreshold:
            if ((!unit.empty() && unit != "dbu") || !Whole(v))
                return Unreadable(p, text);
            if (v < -20 || v > 14)
                return Refuse(p, text);
            return {Word(kThresholdOffset + 20 + std::lround(v)), {}};
        case Kind::kAttack: {
            if (!unit.empty() && unit != "ms")
                return Unreadable(p, text);
            const auto entry = FirstAtOrAbove(kAttackTable, v * 10);
            if (v < AttackAt(0) / 10.0 - 1e-9 || !entry)
                return Refuse(p, text);
            return {Word(*entry), {}};
        }
        case Kind::kRelease: {
            if (!unit.empty())
                return Unreadable(p, text);
            if (!InTable(kReleaseTable, static_cast<int>(std::lround(v))) || !Whole(v))
                return Refuse(p, text);
            return {Word(std::lround(v)), {}};
        }
        case Kind::kRatio: {
            if (!unit.empty() && unit != ":1")
                return Unreadable(p, text);
            const auto entry = FirstAtOrAbove(kRatioTable, v * 10);
            if (v < 1.0 - 1e-9 || !entry)
                return Refuse(p, text);
            return {Word(*entry), {}};
        }
        default:
            break;
    }
    return Unreadable(p, text);
}

}  // namespace

Parsed Parse(const Parameter& p, std::string_view text) {
    if (auto parsed = ParseWord(p, text))
        return *parsed;
    double v = 0;
    std::string unit;
    // A release is a multiple of the attack time, written as the window shows it: x8.
    if (p.kind == Kind::kRelease && !text.empty() && (text.front() == 'x' || text.front() == 'X'))
        text.remove_prefix(1);
    if (!SplitNumber(text, v, unit))
        return Unreadable(p, text);
    // A plain number of a choice is its raw code, checked like any raw word.
    auto raw_checked = [&](long raw) -> Parsed {
        if (raw < 0 || raw > 0xFFFF || !RawAllowed(p, Word(raw)))
            return Refuse(p, text);
        return {Word(raw), {}};
    };
    switch (p.kind) {
        case Kind::kWord:
        case Kind::kEqType:
        case Kind::kHighPassSlope:
        case Kind::kLowPassSlope:
        case Kind::kSwitch:
        case Kind::kEqPass:
        case Kind::kMusicSource:
        case Kind::kMode:
        case Kind::kPowerOnInput:
        case Kind::kGate:
        case Kind::kFbx:
            if (!unit.empty() || !Whole(v))
                return Unreadable(p, text);
            return raw_checked(std::lround(v));
        case Kind::kEqGain:
        case Kind::kQ:
        case Kind::kEqFrequency:
        case Kind::kHighPass:
        case Kind::kLowPass:
        case Kind::kLowPassShort:
            return ParseFilter(p, v, unit, text);
        case Kind::kLevel:
        case Kind::kMaster:
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
        case Kind::kRepeat:
            return ParseLevel(p, v, unit, text);
        case Kind::kDelay:
        case Kind::kReverbTime:
        case Kind::kKeyShift:
            return ParseTime(p, v, unit, text);
        case Kind::kThreshold:
        case Kind::kAttack:
        case Kind::kRelease:
        case Kind::kRatio:
            return ParseDynamics(p, v, unit, text);
    }
    return Unreadable(p, text);
}

}  // namespace vela::catalogue
