#include "core/model/parameter_catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "core/model/parameter_catalogue_table.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"

namespace vela::catalogue {
namespace {

using namespace detail;

// ---- Text ----

std::string Printf(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string Hz(double hz) {
    return hz < 100 ? Printf("%.1f Hz", hz) : Printf("%.0f Hz", std::floor(hz));
}

constexpr Choice kEqTypes[] = {{"peaking", 7}, {"highshelf", 5}, {"lowshelf", 6}};
constexpr Choice kHighPassSlopes[] = {{"bessel12", 10},      {"bessel24", 22},    {"butterworth12", 8},
                                      {"butterworth24", 20}, {"linkriley12", 12}, {"linkriley24", 24}};
constexpr Choice kLowPassSlopes[] = {{"bessel12", 11},      {"bessel24", 23},    {"butterworth12", 9},
                                     {"butterworth24", 21}, {"linkriley12", 13}, {"linkriley24", 25}};
constexpr Choice kSwitch[] = {{"off", 0}, {"on", 1}};
constexpr Choice kEqPass[] = {{"pass", 0}, {"on", 1}};
constexpr Choice kModes[] = {{"hand-sing", 0}, {"auto-sing", 1}, {"hand-dance", 2}, {"auto-dance", 3}};

std::string ChoiceList(std::span<const Choice> choices) {
    std::string list;
    for (const auto& c : choices) {
        list += list.empty() ? "" : "|";
        list += c.word;
    }
    return list;
}

// Frequencies a raw word may stand for: the code's form (Hz from 100 up, tenths below) and the range.
bool FrequencyIn(std::uint16_t raw, double lowest, double highest) {
    if (raw >= kFreqCodeOff && raw - kFreqCodeOff >= 1000)
        return false;  // tenths of a frequency of 100 Hz or more: no control writes that form
    if (raw > 0 && raw < 100)
        return false;
    const double hz = CodeToFreq(raw);
    return hz >= lowest - 1e-9 && hz <= highest + 1e-9;
}

// The code of the band editor's table entry that represents hz (its table starts at 10.5 Hz).
int EqFreqCode(double hz) {
    return FreqToCode(EqFreqEntry(EqFreqPosition(hz, kEditorFreqFirst), kEditorFreqFirst));
}

}  // namespace

namespace detail {

std::span<const Choice> ChoicesOf(Kind kind) {
    switch (kind) {
        case Kind::kEqType:
            return kEqTypes;
        case Kind::kHighPassSlope:
            return kHighPassSlopes;
        case Kind::kLowPassSlope:
            return kLowPassSlopes;
        case Kind::kSwitch:
            return kSwitch;
        case Kind::kEqPass:
            return kEqPass;
        case Kind::kMusicSource:
            return kSources;
        case Kind::kMode:
            return kModes;
        default:
            return {};
    }
}

int ReverbTimeLast() {
    return ReverbTimeAt(kReverbTimeSize - 1);
}

double HighPassTop(const Parameter& p) {
    return p.upper > 0 ? FreqAt(p.upper) : kFreqTop;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// "12.5kHz" -> 12.5 and "khz"; false when there is no number first.
bool SplitNumber(std::string_view text, double& number, std::string& unit) {
    const std::string s(text);
    char* end = nullptr;
    number = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || !std::isfinite(number))
        return false;
    unit = Lower(std::string_view(end));
    while (!unit.empty() && unit.front() == ' ')
        unit.erase(0, 1);
    return true;
}

}  // namespace detail

std::span<const Parameter> All() {
    return Table();
}

const Parameter& At(std::size_t index) {
    return Table().at(index);
}

std::vector<const Parameter*> Named(std::string_view name) {
    std::vector<const Parameter*> found;
    const std::string wanted = Lower(name);
    for (const auto& p : Table()) {
        if (!p.name.empty() && p.name == wanted)
            found.push_back(&p);
    }
    return found;
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& p : Table()) {
        if (!p.name.empty() && p.bank != Bank::kDance)
            names.push_back(p.name);
    }
    return names;
}

std::string_view BankName(Bank bank) {
    switch (bank) {
        case Bank::kSing:
            return "sing";
        case Bank::kDance:
            return "dance";
        case Bank::kNone:
            break;
    }
    return "";
}

std::string UnitOf(const Parameter& p) {
    switch (p.kind) {
        case Kind::kEqGain:
            return "dB";
        case Kind::kEqFrequency:
        case Kind::kHighPass:
        case Kind::kLowPass:
        case Kind::kLowPassShort:
            return "Hz";
        case Kind::kLevel:
        case Kind::kMaster:
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
        case Kind::kRepeat:
            return "%";
        case Kind::kDelay:
        case Kind::kAttack:
        case Kind::kReverbTime:
            return "ms";
        case Kind::kThreshold:
            return "dBu";
        case Kind::kRatio:
            return ":1";
        case Kind::kRelease:
            return "x attack";
        case Kind::kKeyShift:
            return "semitones";
        default:
            return "";
    }
}

std::string RangeText(const Parameter& p) {
    switch (p.kind) {
        case Kind::kWord:
            return "0..65535";
        case Kind::kEqGain:
            return Printf("%.1f", kEqGainLowest) + ".." + Printf("%.1f dB", kEqGainHighest);
        case Kind::kEqFrequency:
            return Printf("%.1f", kEditorFreqFirst) + ".." + Hz(kFreqTop);
        case Kind::kQ:
            return Printf("%.2f", kQLowest) + ".." + Printf("%.0f", kQHighest);
        case Kind::kHighPass:
            return "off, " + Printf("%.1f", kFreqLowestReal) + ".." + Hz(HighPassTop(p));
        case Kind::kLowPass:
            return Printf("%.1f", kFreqLowestReal) + ".." + Hz(kFreqTop);
        case Kind::kLowPassShort:
            return Printf("%.0f", FreqAt(kLpfScaleFirst)) + ".." + Printf("%.0f Hz", kFreqTop - 1) +
                   ", off (" + Hz(kFreqTop) + ")";
        case Kind::kLevel:
            return "0..100 %, with on for the control's switch (70%on)";
        case Kind::kMaster:
            return "0..100 %";
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
            return "0..84 %";
        case Kind::kDelay:
            return Printf("0..%.1f ms", p.upper) + Printf(" (0..%.2f m)", DelayDistanceFor(p.upper));
        case Kind::kThreshold:
            return "-20..14 dBu";
        case Kind::kAttack:
            return Printf("%.1f", AttackAt(0) / 10.0) + ".." + Printf("%.1f ms", AttackAt(15) / 10.0);
        case Kind::kRelease:
            return "x2, x4, x6, x8, x12, x16, x24, x32";
        case Kind::kRatio:
            return "1.0..30.0, 100 :1";
        case Kind::kReverbTime:
            return "0.." + std::to_string(ReverbTimeLast()) + " ms";
        case Kind::kRepeat:
            return Printf("0..%.0f %%", p.upper);
        case Kind::kFbx:
            return "0.." + std::to_string(kFbxItems - 1);
        case Kind::kKeyShift:
            return "-10..+10 semitones";
        case Kind::kPowerOnInput:
            return "memory|" + ChoiceList(kSources);
        case Kind::kGate:
            return "0.." + std::to_string(GateThresholdAt(kGateLastPosition)) + " (the gate table's steps)";
        default:
            return ChoiceList(ChoicesOf(p.kind));
    }
}

std::string Format(const Parameter& p, std::uint16_t raw) {
    for (const auto& c : ChoicesOf(p.kind)) {
        if (c.raw == raw)
            return std::string(c.word);
    }
    switch (p.kind) {
        case Kind::kEqGain:
            return Printf("%.1f dB", GainFromCode(raw));
        case Kind::kEqFrequency:
        case Kind::kLowPass:
            return Hz(CodeToFreq(raw));
        case Kind::kHighPass:
            return raw == kFreqCodeOff ? "off" : Hz(CodeToFreq(raw));
        case Kind::kLowPassShort:
            return raw == kFreqTop ? "off" : Hz(CodeToFreq(raw));
        case Kind::kQ:
            return Printf("%.2f", QFromCode(raw));
        case Kind::kLevel:
            return std::to_string(raw % kLevelToggle) + " %" + (raw >= kLevelToggle ? " on" : "");
        case Kind::kMaster:
        case Kind::kMicVolume:
            return std::to_string(static_cast<int>(raw) - kMicVolumeOffset) + " %";
        case Kind::kSystemLevel:
        case Kind::kRepeat:
            return std::to_string(raw) + " %";
        case Kind::kDelay:
        case Kind::kAttack:
            return Printf("%.1f ms", raw / 10.0);
        case Kind::kThreshold:
            return Printf("%+.0f dBu", static_cast<double>(raw) - kThresholdOffset - 20);
        case Kind::kRelease:
            return std::string("x").append(std::to_string(raw));
        case Kind::kRatio:
            return Printf("%.1f:1", raw / 10.0);
        case Kind::kReverbTime:
            return std::to_string(raw) + " ms";
        case Kind::kKeyShift:
            return Printf("%+.0f semitones", static_cast<double>(raw) - kKeyShiftCentre);
        case Kind::kPowerOnInput:
            if (raw == 0)
                return "memory";
            for (const auto& c : kSources) {
                if (raw == kPowerOnSourceFlag + c.raw)
                    return std::string(c.word);
            }
            break;
        default:
            break;
    }
    return std::to_string(raw);
}

namespace {

// Filter settings and levels: words the scale's own conversion gives back unchanged.
bool ScaleAllowed(const Parameter& p, std::uint16_t raw) {
    switch (p.kind) {
        case Kind::kEqGain:
            return raw >= GainCodeFor(kEqGainLowest) && raw <= GainCodeFor(kEqGainHighest);
        case Kind::kEqFrequency:
            return FrequencyIn(raw, kEditorFreqFirst, kFreqTop) && raw == EqFreqCode(CodeToFreq(raw));
        case Kind::kQ:
            return raw >= QCodeFor(kQLowest) && raw <= QCodeFor(kQHighest) &&
                   raw == QCodeFor(SnapQ(QFromCode(raw)));
        case Kind::kHighPass:
            return raw == kFreqCodeOff ||
                   (FrequencyIn(raw, kFreqLowestReal, HighPassTop(p)) && raw == FreqCodeFor(CodeToFreq(raw)));
        case Kind::kLowPass:
            return FrequencyIn(raw, kFreqLowestReal, kFreqTop) && raw == FreqCodeFor(CodeToFreq(raw));
        case Kind::kLowPassShort:
            return FrequencyIn(raw, FreqAt(kLpfScaleFirst), kFreqTop) && raw == FreqCodeFor(CodeToFreq(raw));
        case Kind::kLevel:
            return raw % kLevelToggle <= kLevelMax && raw < 2 * kLevelToggle;
        case Kind::kMaster:
            return raw >= kMicVolumeOffset && raw <= kMicVolumeOffset + kLevelMax;
        case Kind::kMicVolume:
            return raw >= kMicVolumeOffset && raw <= kMicVolumeOffset + kMicVolumeMax;
        case Kind::kSystemLevel:
            return raw <= kMicVolumeMax;
        default:
            return false;
    }
}

}  // namespace

bool RawAllowed(const Parameter& p, std::uint16_t raw) {
    if (!ChoicesOf(p.kind).empty()) {
        const auto c = ChoicesOf(p.kind);
        return std::any_of(c.begin(), c.end(), [&](const Choice& x) { return x.raw == raw; });
    }
    switch (p.kind) {
        case Kind::kWord:
            return true;
        case Kind::kEqGain:
        case Kind::kEqFrequency:
        case Kind::kQ:
        case Kind::kHighPass:
        case Kind::kLowPass:
        case Kind::kLowPassShort:
        case Kind::kLevel:
        case Kind::kMaster:
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
            return ScaleAllowed(p, raw);
        case Kind::kDelay:
            return raw <= DelayCodeFor(p.upper);
        case Kind::kThreshold:
            return raw >= kThresholdOffset && raw < kThresholdOffset + kThresholdPositions;
        case Kind::kAttack:
            return InTable(kAttackTable, raw);
        case Kind::kRelease:
            return InTable(kReleaseTable, raw);
        case Kind::kRatio:
            return InTable(kRatioTable, raw);
        case Kind::kReverbTime:
            for (int k = 0; k < kReverbTimeSize; ++k) {
                if (ReverbTimeAt(k) == raw)
                    return true;
            }
            return false;
        case Kind::kRepeat:
            return raw <= p.upper;
        case Kind::kFbx:
            return raw < kFbxItems;
        case Kind::kKeyShift:
            return raw <= kKeyShiftMax;
        case Kind::kPowerOnInput:
            return raw == 0 || std::any_of(std::begin(kSources), std::end(kSources), [&](const Choice& c) {
                       return raw == kPowerOnSourceFlag + c.raw;
                   });
        case Kind::kGate:
            for (int k = 0; k <= kGateLastPosition; ++k) {
                if (GateThresholdAt(k) == raw)
                    return true;
            }
            return false;
        case Kind::kMode:
            return raw < kModeWords;
        default:
            return false;
    }
}

}  // namespace vela::catalogue
