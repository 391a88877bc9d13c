#include "core/model/parameter_catalogue_table.h"

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
constexpr int kInputHighPassLast = 143;  // 303 Hz

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

}  // namespace

namespace detail {

const std::vector<Parameter>& Table() {
    static const std::vector<Parameter> table = Build();
    return table;
}

}  // namespace detail
}  // namespace vela::catalogue
