#include "core/model/parameter_catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"

namespace vela::catalogue {
namespace {

using layout::EqField;

// The tops of the strip pages' value controls (their positions are milliseconds or percent).
constexpr double kOutputDelayMs = 20.0;
constexpr double kPreDelayMs = 200.0;
constexpr double kEchoTapMs = 500.0;
constexpr double kEchoRightDelayMs = 250.0;
constexpr double kRepeatPercent = 90.0;
constexpr int kLevelMax = 100;
constexpr int kInputHighPassLast = 143;  // 303 Hz
constexpr double kEqGainLowest = -24.0;
constexpr double kEqGainHighest = 12.0;
constexpr int kFbxItems = 4;
constexpr int kModeWords = 4;

// What a control code of a page kind stands for: the name's field and the scale.
struct Field {
    int code;
    std::string_view field;
    Kind kind;
    double upper = 0;
};

constexpr Field kOutputFields[] = {
    {44, "musicvol", Kind::kLevel},
    {45, "dirvol", Kind::kLevel},
    {46, "echovol", Kind::kLevel},
    {47, "reverbvol", Kind::kLevel},
    {56, "comp.ratio", Kind::kRatio},
    {54, "comp.attack", Kind::kAttack},
    {55, "comp.release", Kind::kRelease},
    {53, "comp.threshold", Kind::kThreshold},
    {51, "delay.left", Kind::kDelay, kOutputDelayMs},
    {57, "delay.right", Kind::kDelay, kOutputDelayMs},
    {52, "delay", Kind::kDelay, kOutputDelayMs},
    {41, "mute.left", Kind::kSwitch},
    {43, "mute.right", Kind::kSwitch},
    {42, "mute", Kind::kSwitch},
    {40, "eqpass", Kind::kEqPass},
    {59, "hpf.slope", Kind::kHighPassSlope},
    {58, "hpf.freq", Kind::kHighPass},
    {61, "lpf.slope", Kind::kLowPassSlope},
    {60, "lpf.freq", Kind::kLowPass},
    {48, "hpf.q", Kind::kQ},
    {49, "lpf.q", Kind::kQ},
};

constexpr Field kInputFields[] = {
    {73, "comp.threshold", Kind::kThreshold},
    {74, "comp.attack", Kind::kAttack},
    {75, "comp.release", Kind::kRelease},
    {76, "comp.ratio", Kind::kRatio},
    {78, "hpf.freq", Kind::kHighPass, kInputHighPassLast},
    {80, "lpf.freq", Kind::kLowPassShort},
    {79, "hpf.slope", Kind::kHighPassSlope},
    {81, "lpf.slope", Kind::kLowPassSlope},
    {60, "eqpass", Kind::kEqPass},
    {82, "fbx", Kind::kFbx},
    {83, "vola", Kind::kMicVolume},
    {84, "volb", Kind::kMicVolume},
    {86, "keyshift", Kind::kKeyShift},
};

constexpr Field kEffectFields[] = {
    {42, "vol", Kind::kLevel},
    {41, "dirvol", Kind::kLevel},
    {43, "hpf.freq", Kind::kHighPass},
    {44, "lpf.freq", Kind::kLowPass},
    {45, "hpf.slope", Kind::kHighPassSlope},
    {46, "lpf.slope", Kind::kLowPassSlope},
    {40, "eqpass", Kind::kEqPass},
    {47, "predelay.left", Kind::kDelay, kPreDelayMs},
    {49, "predelay.right", Kind::kDelay, kPreDelayMs},
    {48, "delay.a", Kind::kDelay, kEchoTapMs},
    {56, "delay.b", Kind::kDelay, kEchoTapMs},
    {50, "delay.right", Kind::kDelay, kEchoRightDelayMs},
    {51, "repeat.a", Kind::kRepeat, kRepeatPercent},
    {55, "repeat.b", Kind::kRepeat, kRepeatPercent},
    {52, "predelay", Kind::kDelay, kPreDelayMs},
    {53, "time", Kind::kReverbTime},
};

// The main window's own controls (pseudo pages of the layout) and the System page's codes.
constexpr Field kMasterFields[] = {
    {0, "master.music", Kind::kMaster},
    {1, "master.mic", Kind::kMaster},
    {3, "master.effect", Kind::kMaster},
};

constexpr Field kSystemFields[] = {
    {0, "system.music.start", Kind::kSystemLevel},
    {1, "system.music.max", Kind::kSystemLevel},
    {2, "system.mic.start", Kind::kSystemLevel},
    {3, "system.mic.max", Kind::kSystemLevel},
    {4, "system.micb.start", Kind::kSystemLevel},
    {5, "system.micb.max", Kind::kSystemLevel},
    {6, "system.effect.start", Kind::kSystemLevel},
    {7, "system.effect.max", Kind::kSystemLevel},
    {8, "system.gate.mic.threshold", Kind::kGate},
    {9, "system.gate.music.threshold", Kind::kGate},
    {11, "system.poweron", Kind::kPowerOnInput},
    {15, "system.gate.mic", Kind::kSwitch},
    {16, "system.gate.music", Kind::kSwitch},
    {19, "system.password.switch", Kind::kSwitch},
    {22, "system.scene", Kind::kWord},
    {23, "system.scene.request", Kind::kWord},
};

// Words no page control writes, named after what the link does with them.
constexpr std::pair<std::uint16_t, std::string_view> kLinkWords[] = {
    {0, "system.id"},
    {927, "system.source.change"},
    {928, "system.password.keypad"},
    {930, "system.password.high"},
    {931, "system.password.low"},
    {935, "system.occupancy"},
};

constexpr std::string_view kEqFieldNames[layout::kEqFields] = {"type", "freq", "gain", "q"};
constexpr Kind kEqFieldKinds[layout::kEqFields] = {Kind::kEqType, Kind::kEqFrequency, Kind::kEqGain,
                                                   Kind::kQ};

std::string_view PagePrefix(int page) {
    switch (page) {
        case layout::kMainPage:
            return "main";
        case layout::kCenterPage:
            return "center";
        case layout::kSubPage:
            return "sub";
        case layout::kRearPage:
            return "rear";
        case layout::kMusicPage:
            return "music";
        case layout::kMicPage:
            return "mic";
        case layout::kEchoPage:
            return "echo";
        case layout::kReverbPage:
            return "reverb";
        default:
            return "";
    }
}

std::span<const Field> FieldsOfPage(int page) {
    switch (page) {
        case layout::kMusicPage:
        case layout::kMicPage:
            return kInputFields;
        case layout::kEchoPage:
        case layout::kReverbPage:
            return kEffectFields;
        case layout::kMasterFaders:
            return kMasterFields;
        case layout::kSystemPage:
            return kSystemFields;
        default:
            return kOutputFields;
    }
}

const Field* FieldFor(int page, int code) {
    for (const Field& f : FieldsOfPage(page)) {
        if (f.code == code)
            return &f;
    }
    return nullptr;
}

void SetEq(std::vector<Parameter>& all, std::string_view owner, std::uint16_t first, int bands, Bank bank) {
    for (int b = 0; b < bands; ++b) {
        for (int f = 0; f < layout::kEqFields; ++f) {
            Parameter& p = all[static_cast<std::size_t>(first + layout::kEqFields * b + f)];
            p.name = std::string(owner) + ".eq" + std::to_string(b + 1) + "." + std::string(kEqFieldNames[f]);
            p.kind = kEqFieldKinds[f];
            p.bank = bank;
        }
    }
}

void Set(std::vector<Parameter>& all, std::uint16_t index, std::string name, const Field& f, Bank bank) {
    Parameter& p = all[index];
    p.name = std::move(name);
    p.kind = f.kind;
    p.upper = f.upper;
    p.bank = bank;
}

std::vector<Parameter> Build() {
    std::vector<Parameter> all(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        all[i].index = static_cast<std::uint16_t>(i);

    // Output strips, both banks: every row of the strip's layout and its EQ bands.
    for (int s = 0; s < layout::kStripCount; ++s) {
        const auto strip = static_cast<layout::Strip>(s);
        const auto& sl = layout::Strips()[static_cast<std::size_t>(s)];
        const std::string prefix(PagePrefix(sl.page_id));
        for (const bool dance : {false, true}) {
            const Bank bank = dance ? Bank::kDance : Bank::kSing;
            for (const auto& row : sl.rows) {
                if (row.sub_only && strip != layout::Strip::kSub)
                    continue;
                if (const Field* f = FieldFor(sl.page_id, row.code))
                    Set(all, static_cast<std::uint16_t>(layout::StripBase(strip, dance) + row.offset),
                        prefix + "." + std::string(f->field), *f, bank);
            }
            SetEq(all, prefix, layout::StripEqIndex(strip, dance, 0, EqField::kType), layout::kOutputBands,
                  bank);
        }
    }
    // Input and effect EQ blocks; the MIC A / MIC B parameters of the Mic page.
    SetEq(all, "music", layout::kMusicEq.first, layout::kMusicEq.bands, Bank::kNone);
    SetEq(all, "mica", layout::kMicAEq.first, layout::kMicAEq.bands, Bank::kNone);
    SetEq(all, "micb", layout::kMicBEq.first, layout::kMicBEq.bands, Bank::kNone);
    SetEq(all, "echo", layout::kEchoEq.first, layout::kEchoEq.bands, Bank::kNone);
    SetEq(all, "reverb", layout::kReverbEq.first, layout::kReverbEq.bands, Bank::kNone);
    for (const auto& row : layout::MicTargetRows()) {
        if (const Field* f = FieldFor(layout::kMicPage, row.code)) {
            Set(all, row.mic_a, "mica." + std::string(f->field), *f, Bank::kNone);
            Set(all, row.mic_b, "micb." + std::string(f->field), *f, Bank::kNone);
        }
    }
    // Every other mapped index, by the control that writes it (or, for the System page, shows it).
    for (const auto& row : layout::IndexRows()) {
        const layout::CodeRef by = row.writer.page != layout::kNoPage ? row.writer : row.refresh[0];
        if (by.page == layout::kMusicSourceSelector) {
            if (row.writer == row.refresh[0])
                Set(all, row.index, "system.source", Field{0, "", Kind::kMusicSource}, Bank::kNone);
        } else if (by.page == layout::kModeButtons) {
            Set(all, row.index, "system.mode", Field{0, "", Kind::kMode}, Bank::kNone);
        } else if (const Field* f = by.page == layout::kNoPage ? nullptr : FieldFor(by.page, by.code)) {
            const std::string_view prefix = PagePrefix(by.page);
            Set(all, row.index,
                prefix.empty() ? std::string(f->field) : std::string(prefix) + "." + std::string(f->field),
                *f, Bank::kNone);
        }
    }
    for (const auto& [index, name] : kLinkWords)
        all[index].name = std::string(name);
    for (auto& p : all)
        p.writable = !LinkOwnedParameter(p.index);
    return all;
}

const std::vector<Parameter>& Table() {
    static const std::vector<Parameter> table = Build();
    return table;
}

// ---- Text ----

std::string Printf(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string Hz(double hz) {
    return hz < 100 ? Printf("%.1f Hz", hz) : Printf("%.0f Hz", std::floor(hz));
}

struct Choice {
    std::string_view word;
    int raw;
};

constexpr Choice kEqTypes[] = {{"peaking", 7}, {"highshelf", 5}, {"lowshelf", 6}};
constexpr Choice kHighPassSlopes[] = {{"bessel12", 10},      {"bessel24", 22},    {"butterworth12", 8},
                                      {"butterworth24", 20}, {"linkriley12", 12}, {"linkriley24", 24}};
constexpr Choice kLowPassSlopes[] = {{"bessel12", 11},      {"bessel24", 23},    {"butterworth12", 9},
                                     {"butterworth24", 21}, {"linkriley12", 13}, {"linkriley24", 25}};
constexpr Choice kSwitch[] = {{"off", 0}, {"on", 1}};
constexpr Choice kEqPass[] = {{"pass", 0}, {"on", 1}};
constexpr Choice kSources[] = {{"bt", 1}, {"vod", 2}, {"dvd", 3}, {"mp3", 4}, {"opt", 5}, {"arc", 10}};
constexpr Choice kModes[] = {{"hand-sing", 0}, {"auto-sing", 1}, {"hand-dance", 2}, {"auto-dance", 3}};

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

std::string ChoiceList(std::span<const Choice> choices) {
    std::string list;
    for (const auto& c : choices) {
        list += list.empty() ? "" : "|";
        list += c.word;
    }
    return list;
}

template <std::size_t N>
bool InTable(const std::array<int, N>& table, int raw) {
    return std::find(table.begin(), table.end(), raw) != table.end();
}

int ReverbTimeLast() {
    return ReverbTimeAt(kReverbTimeSize - 1);
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

Parsed Refuse(const Parameter& p, std::string_view text) {
    return {std::nullopt, std::string(text) + " is outside " + p.name + "'s range " + RangeText(p)};
}

Parsed Unreadable(const Parameter& p, std::string_view text) {
    return {std::nullopt, std::string(text) + " is no value of " + p.name + " (" + RangeText(p) + ")"};
}

// The first table entry at or above v, as the window's control lands on it; nothing above the table.
template <std::size_t N>
std::optional<int> FirstAtOrAbove(const std::array<int, N>& table, double v) {
    for (int entry : table) {
        if (entry + 1e-9 >= v)
            return entry;
    }
    return std::nullopt;
}

std::uint16_t Word(long v) {
    return static_cast<std::uint16_t>(v);
}

}  // namespace

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

bool RawAllowed(const Parameter& p, std::uint16_t raw) {
    if (!ChoicesOf(p.kind).empty()) {
        const auto c = ChoicesOf(p.kind);
        return std::any_of(c.begin(), c.end(), [&](const Choice& x) { return x.raw == raw; });
    }
    switch (p.kind) {
        case Kind::kWord:
            return true;
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

Parsed Parse(const Parameter& p, std::string_view text) {
    const std::string word = Lower(text);
    for (const auto& c : ChoicesOf(p.kind)) {
        if (c.word == word)
            return {Word(c.raw), {}};
    }
    if (p.kind == Kind::kPowerOnInput) {
        if (word == "memory")
            return {0, {}};
        for (const auto& c : kSources) {
            if (c.word == word)
                return {Word(kPowerOnSourceFlag + c.raw), {}};
        }
    }
    if (word == "off" && p.kind == Kind::kHighPass)
        return {Word(kFreqCodeOff), {}};
    if (word == "off" && p.kind == Kind::kLowPassShort)
        return {Word(static_cast<long>(kFreqTop)), {}};

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
    auto whole = [&](double x) { return std::abs(x - std::round(x)) < 1e-9; };
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
            if (!unit.empty() || !whole(v))
                return Unreadable(p, text);
            return raw_checked(std::lround(v));
        case Kind::kEqGain:
            if (!unit.empty() && unit != "db")
                return Unreadable(p, text);
            if (v < kEqGainLowest - 1e-9 || v > kEqGainHighest + 1e-9)
                return Refuse(p, text);
            return {Word(GainCodeFor(v)), {}};
        case Kind::kEqFrequency:
        case Kind::kHighPass:
        case Kind::kLowPass:
        case Kind::kLowPassShort: {
            if (unit == "khz")
                v *= 1000;
            else if (!unit.empty() && unit != "hz")
                return Unreadable(p, text);
            if (p.kind == Kind::kEqFrequency) {
                if (v < kEditorFreqFirst - 1e-9 || v > kFreqTop + 1e-9)
                    return Refuse(p, text);
                return {Word(FreqToCode(EqFreqEntry(EqFreqPosition(v, kEditorFreqFirst), kEditorFreqFirst))),
                        {}};
            }
            const double lowest = p.kind == Kind::kLowPassShort ? FreqAt(kLpfScaleFirst) : kFreqLowestReal;
            const double highest = p.kind == Kind::kHighPass ? HighPassTop(p) : kFreqTop;
            if (v < lowest - 1e-9 || v > highest + 1e-9)
                return Refuse(p, text);
            return {Word(FreqCodeFor(v)), {}};
        }
        case Kind::kQ:
            if (!unit.empty() && unit != "q")
                return Unreadable(p, text);
            if (v < kQLowest - 1e-9 || v > kQHighest + 1e-9)
                return Refuse(p, text);
            return {Word(QCodeFor(SnapQ(v))), {}};
        case Kind::kLevel: {
            bool on = false;
            if (unit.size() >= 2 && unit.compare(unit.size() - 2, 2, "on") == 0) {
                on = true;
                unit.erase(unit.size() - 2);
                while (!unit.empty() && unit.back() == ' ')
                    unit.pop_back();
            }
            if ((!unit.empty() && unit != "%") || !whole(v))
                return Unreadable(p, text);
            if (v < 0 || v > kLevelMax)
                return Refuse(p, text);
            return {Word(LevelCodeFor(static_cast<int>(std::lround(v)), on)), {}};
        }
        case Kind::kMaster:
        case Kind::kMicVolume:
        case Kind::kSystemLevel:
        case Kind::kRepeat: {
            if ((!unit.empty() && unit != "%") || !whole(v))
                return Unreadable(p, text);
            const double top = p.kind == Kind::kMaster   ? kLevelMax
                               : p.kind == Kind::kRepeat ? p.upper
                                                         : kMicVolumeMax;
            if (v < 0 || v > top)
                return Refuse(p, text);
            const long base = p.kind == Kind::kMaster || p.kind == Kind::kMicVolume ? kMicVolumeOffset : 0;
            return {Word(base + std::lround(v)), {}};
        }
        case Kind::kDelay: {
            if (unit == "m")
                v /= kMetresPerMs;
            else if (!unit.empty() && unit != "ms")
                return Unreadable(p, text);
            if (v < 0 || v > p.upper + 0.05)
                return Refuse(p, text);
            return {Word(std::min(DelayCodeFor(v), DelayCodeFor(p.upper))), {}};
        }
        case Kind::kThreshold:
            if ((!unit.empty() && unit != "dbu") || !whole(v))
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
            if (!InTable(kReleaseTable, static_cast<int>(std::lround(v))) || !whole(v))
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
            if ((!unit.empty() && unit != "st" && unit != "semitones") || !whole(v))
                return Unreadable(p, text);
            if (v < -kKeyShiftCentre || v > kKeyShiftMax - kKeyShiftCentre)
                return Refuse(p, text);
            return {Word(kKeyShiftCentre + std::lround(v)), {}};
    }
    return Unreadable(p, text);
}

}  // namespace vela::catalogue
