#include "core/model/parameter_layout.h"

#include <algorithm>

#include "core/protocol/protocol.h"

namespace vela::layout {
namespace {

// Stereo strips (Main, Rear): offsets 15, 16, 19, 20 and 49..52 are spare.
constexpr StripRow kStereoRows[] = {
    {0, 44, "Music Vol", false},   {1, 45, "Dir Vol", false},        {2, 46, "Echo Vol", false},
    {3, 47, "Reverb Vol", false},  {4, 56, "Ratio", false},          {5, 54, "Attack", false},
    {6, 55, "Release", false},     {7, 53, "Threshold", false},      {8, 51, "Left-Delay", false},
    {9, 57, "Right-Delay", false}, {10, 41, "Left Mute", false},     {11, 43, "Right Mute", false},
    {12, 40, "EQ PASS", false},    {13, 59, "HPF slope", false},     {14, 58, "HPF frequency", false},
    {17, 61, "LPF slope", false},  {18, 60, "LPF frequency", false},
};

// Mono strips (Center, Sub): offsets 13, 17 and 47..50 are spare; the filter Qs exist on Sub only.
constexpr StripRow kMonoRows[] = {
    {0, 44, "Music Vol", false},      {1, 45, "Dir Vol", false},   {2, 46, "Echo Vol", false},
    {3, 47, "Reverb Vol", false},     {4, 56, "Ratio", false},     {5, 54, "Attack", false},
    {6, 55, "Release", false},        {7, 53, "Threshold", false}, {8, 52, "Delay", false},
    {9, 42, "Mute", false},           {10, 40, "EQ PASS", false},  {11, 59, "HPF slope", false},
    {12, 58, "HPF frequency", false}, {14, 48, "HPF Q", true},     {15, 61, "LPF slope", false},
    {16, 60, "LPF frequency", false}, {18, 49, "LPF Q", true},
};

constexpr std::array<StripLayout, kStripCount> kStrips{{
    {kMainPage, "Main", 314, 53, 21, kStereoRows},
    {kCenterPage, "Center", 367, 51, 19, kMonoRows},
    {kSubPage, "Sub", 418, 51, 19, kMonoRows},
    {kRearPage, "Rear", 469, 53, 21, kStereoRows},
}};

constexpr MicTargetRow kMicTargets[] = {
    {60, 35, 36, "EQ PASS"},   {79, 37, 45, "HPF slope"},     {78, 38, 46, "HPF frequency"},
    {81, 41, 49, "LPF slope"}, {80, 42, 50, "LPF frequency"},
};

constexpr CodeRef kNone{};
constexpr CodeRef Page(int page, int code) {
    return CodeRef{page, code};
}

// Indexes outside the EQ blocks, the Mic targets and the output banks, ascending.
constexpr IndexRow kRows[] = {
    {0, "device identity", kNone, {}},
    {25, "Mic master level", Page(kMasterFaders, 1), {Page(kMasterFaders, 1)}},
    {26, "MIC VOL A", Page(kMicPage, 83), {Page(kMicPage, 83), Page(kSystemPage, 13)}},
    {27, "MIC VOL B", Page(kMicPage, 84), {Page(kMicPage, 84), Page(kSystemPage, 14)}},
    {28, "Music master level", Page(kMasterFaders, 0), {Page(kMasterFaders, 0)}},
    {29, "Effect master level", Page(kMasterFaders, 3), {Page(kMasterFaders, 3)}},
    {30, "MIC FBX", Page(kMicPage, 82), {Page(kMicPage, 82)}},
    {31, "Mic Ratio", Page(kMicPage, 76), {Page(kMicPage, 76)}},
    {32, "Mic Attack", Page(kMicPage, 74), {Page(kMicPage, 74)}},
    {33, "Mic Release", Page(kMicPage, 75), {Page(kMicPage, 75)}},
    {34, "Mic Threshold", Page(kMicPage, 73), {Page(kMicPage, 73)}},
    {173, "Echo Dir Vol", Page(kEchoPage, 41), {Page(kEchoPage, 41)}},
    {174, "Echo Vol", Page(kEchoPage, 42), {Page(kEchoPage, 42)}},
    {175, "Reverb Dir Vol", Page(kReverbPage, 41), {Page(kReverbPage, 41)}},
    {176, "Reverb Vol", Page(kReverbPage, 42), {Page(kReverbPage, 42)}},
    {177, "Echo L pre-delay", Page(kEchoPage, 47), {Page(kEchoPage, 47)}},
    {178, "Echo R pre-delay", Page(kEchoPage, 49), {Page(kEchoPage, 49)}},
    {179, "Echo A delay", Page(kEchoPage, 48), {Page(kEchoPage, 48)}},
    {180, "Echo B delay", Page(kEchoPage, 56), {Page(kEchoPage, 56)}},
    {181, "Echo A repeat", Page(kEchoPage, 51), {Page(kEchoPage, 51)}},
    {182, "Echo B repeat", Page(kEchoPage, 55), {Page(kEchoPage, 55)}},
    {183, "Echo R delay", Page(kEchoPage, 50), {Page(kEchoPage, 50)}},
    {184, "Reverb pre-delay", Page(kReverbPage, 52), {Page(kReverbPage, 52)}},
    {185, "Reverb time", Page(kReverbPage, 53), {Page(kReverbPage, 53)}},
    {186, "Echo EQ PASS", Page(kEchoPage, 40), {Page(kEchoPage, 40)}},
    {187, "Reverb EQ PASS", Page(kReverbPage, 40), {Page(kReverbPage, 40)}},
    {188, "Echo HPF slope", Page(kEchoPage, 45), {Page(kEchoPage, 45)}},
    {189, "Echo HPF frequency", Page(kEchoPage, 43), {Page(kEchoPage, 43)}},
    {192, "Echo LPF slope", Page(kEchoPage, 46), {Page(kEchoPage, 46)}},
    {193, "Echo LPF frequency", Page(kEchoPage, 44), {Page(kEchoPage, 44)}},
    {196, "Reverb HPF slope", Page(kReverbPage, 45), {Page(kReverbPage, 45)}},
    {197, "Reverb HPF frequency", Page(kReverbPage, 43), {Page(kReverbPage, 43)}},
    {200, "Reverb LPF slope", Page(kReverbPage, 46), {Page(kReverbPage, 46)}},
    {201, "Reverb LPF frequency", Page(kReverbPage, 44), {Page(kReverbPage, 44)}},
    {244, "Music key shift", Page(kMusicPage, 86), {Page(kMusicPage, 86), Page(kSystemPage, 12)}},
    {245, "Music EQ PASS", Page(kMusicPage, 60), {Page(kMusicPage, 60)}},
    {246, "Music HPF slope", Page(kMusicPage, 79), {Page(kMusicPage, 79)}},
    {247, "Music HPF frequency", Page(kMusicPage, 78), {Page(kMusicPage, 78)}},
    {250, "Music LPF slope", Page(kMusicPage, 81), {Page(kMusicPage, 81)}},
    {251, "Music LPF frequency", Page(kMusicPage, 80), {Page(kMusicPage, 80)}},
    {916, "Mic Max", kNone, {Page(kSystemPage, 3)}},
    {917, "Mic Start", kNone, {Page(kSystemPage, 2)}},
    {918, "MicB Max", kNone, {Page(kSystemPage, 5)}},
    {919, "MicB Start", kNone, {Page(kSystemPage, 4)}},
    {920, "Music Max", kNone, {Page(kSystemPage, 1)}},
    {921, "Music Start", kNone, {Page(kSystemPage, 0)}},
    {922, "Effect Max", kNone, {Page(kSystemPage, 7)}},
    {923, "Effect Start", kNone, {Page(kSystemPage, 6)}},
    {925, "music source", Page(kMusicSourceSelector, 0), {Page(kMusicSourceSelector, 0)}},
    {926, "Mic noise gate switch", kNone, {Page(kSystemPage, 15)}},
    {927, "music source change", Page(kMusicSourceSelector, 0), {}},
    {928, "keypad password", kNone, {}},
    {929, "keypad password switch", kNone, {Page(kSystemPage, 19)}},
    {930, "system password, first two digits", kNone, {}},
    {931, "system password, last four digits", kNone, {}},
    {933, "current scene", kNone, {Page(kSystemPage, 22)}},
    {934, "scene request", kNone, {Page(kSystemPage, 23)}},
    {935, "occupancy", kNone, {}},
    {940, "power-on input", kNone, {Page(kSystemPage, 11)}},
    {941, "Mic noise gate threshold", kNone, {Page(kSystemPage, 8)}},
    {942, "mode word", Page(kModeButtons, 0), {Page(kModeButtons, 0)}},
    {943, "Music noise gate threshold", kNone, {Page(kSystemPage, 9)}},
    {944, "Music noise gate switch", kNone, {Page(kSystemPage, 16)}},
};

constexpr bool RowsAscending() {
    for (std::size_t i = 1; i < std::size(kRows); ++i) {
        if (kRows[i - 1].index >= kRows[i].index) {
            return false;
        }
    }
    return kRows[std::size(kRows) - 1].index < kParameterCount;
}
static_assert(RowsAscending(), "index rows ascending, once each, inside the table");

const StripRow* StripRowForOffset(const StripLayout& layout, Strip strip, int offset) {
    for (const auto& row : layout.rows) {
        if (row.offset == offset && (!row.sub_only || strip == Strip::kSub)) {
            return &row;
        }
    }
    return nullptr;
}

constexpr std::string_view kFieldNames[kEqFields] = {"type", "frequency", "gain", "Q"};

std::string EqName(std::string_view owner, std::size_t offset_in_block) {
    const auto band = offset_in_block / kEqFields + 1;
    const auto field = offset_in_block % kEqFields;
    std::string name(owner);
    name += " EQ band ";
    name += std::to_string(band);
    name += ' ';
    name += kFieldNames[field];
    return name;
}

}  // namespace

int EqCode(EqCodes codes, int band, EqField field) {
    const int stride = codes == EqCodes::kOutput ? 10 : 15;
    // Codes run type, frequency, Q, gain; parameters run type, frequency, gain, Q.
    switch (field) {
        case EqField::kType:
            return band;
        case EqField::kFrequency:
            return stride + band;
        case EqField::kQ:
            return 2 * stride + band;
        case EqField::kGain:
            return 3 * stride + band;
    }
    return band;
}

std::optional<EqBandField> EqFieldForCode(EqCodes codes, int band_count, int code) {
    const int stride = codes == EqCodes::kOutput ? 10 : 15;
    if (code < 0 || code >= 4 * stride) {
        return std::nullopt;
    }
    const int band = code % stride;
    if (band >= band_count) {
        return std::nullopt;
    }
    constexpr EqField kByGroup[] = {EqField::kType, EqField::kFrequency, EqField::kQ, EqField::kGain};
    return EqBandField{band, kByGroup[code / stride]};
}

const std::array<StripLayout, kStripCount>& Strips() {
    return kStrips;
}

std::optional<Strip> StripForPage(int page_id) {
    for (int s = 0; s < kStripCount; ++s) {
        if (kStrips[static_cast<std::size_t>(s)].page_id == page_id) {
            return static_cast<Strip>(s);
        }
    }
    return std::nullopt;
}

std::uint16_t StripBase(Strip strip, bool dance_bank) {
    return static_cast<std::uint16_t>(kStrips[static_cast<std::size_t>(strip)].sing_base +
                                      (dance_bank ? kBankSize : 0));
}

std::optional<std::uint16_t> StripIndexForCode(Strip strip, bool dance_bank, int code) {
    const auto& layout = kStrips[static_cast<std::size_t>(strip)];
    for (const auto& row : layout.rows) {
        if (row.code == code && (!row.sub_only || strip == Strip::kSub)) {
            return static_cast<std::uint16_t>(StripBase(strip, dance_bank) + row.offset);
        }
    }
    return std::nullopt;
}

std::uint16_t StripEqIndex(Strip strip, bool dance_bank, int band, EqField field) {
    const auto& layout = kStrips[static_cast<std::size_t>(strip)];
    return static_cast<std::uint16_t>(StripBase(strip, dance_bank) + layout.eq_offset + kEqFields * band +
                                      static_cast<int>(field));
}

std::optional<StripSlot> StripSlotForIndex(std::size_t index) {
    if (index < kSingBankFirst || index >= kBanksEnd) {
        return std::nullopt;
    }
    const bool dance = index >= kDanceBankFirst;
    int offset = static_cast<int>(index - (dance ? kDanceBankFirst : kSingBankFirst));
    for (int s = 0; s < kStripCount; ++s) {
        const auto& layout = kStrips[static_cast<std::size_t>(s)];
        if (offset >= layout.slot_size) {
            offset -= layout.slot_size;
            continue;
        }
        const auto strip = static_cast<Strip>(s);
        const int eq_end = layout.eq_offset + kEqFields * kOutputBands;
        if (offset >= layout.eq_offset && offset < eq_end) {
            const int band = (offset - layout.eq_offset) / kEqFields;
            const auto field = static_cast<EqField>((offset - layout.eq_offset) % kEqFields);
            return StripSlot{strip, dance, EqCode(EqCodes::kOutput, band, field)};
        }
        if (const auto* row = StripRowForOffset(layout, strip, offset)) {
            return StripSlot{strip, dance, row->code};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::span<const MicTargetRow> MicTargetRows() {
    return kMicTargets;
}

std::span<const IndexRow> IndexRows() {
    return kRows;
}

const IndexRow* RowForIndex(std::size_t index) {
    const auto it = std::lower_bound(std::begin(kRows), std::end(kRows), index,
                                     [](const IndexRow& row, std::size_t i) { return row.index < i; });
    return it != std::end(kRows) && it->index == index ? &*it : nullptr;
}

std::string ParameterName(std::size_t index) {
    if (index >= kParameterCount) {
        return {};
    }
    if (const auto* row = RowForIndex(index)) {
        return std::string(row->name);
    }
    for (const auto& mic : kMicTargets) {
        if (index == mic.mic_a || index == mic.mic_b) {
            return std::string(index == mic.mic_a ? "MIC A " : "MIC B ") + std::string(mic.name);
        }
    }
    for (const EqBlock* block : {&kMusicEq, &kMicAEq, &kMicBEq, &kEchoEq, &kReverbEq}) {
        if (InEqBlock(*block, index)) {
            return EqName(block->name, index - block->first);
        }
    }
    if (const auto slot = StripSlotForIndex(index)) {
        const auto& layout = kStrips[static_cast<std::size_t>(slot->strip)];
        std::string owner(layout.name);
        owner += slot->dance_bank ? " (Dance)" : " (Sing)";
        const std::size_t offset = index - StripBase(slot->strip, slot->dance_bank);
        const auto eq_offset = static_cast<std::size_t>(layout.eq_offset);
        if (offset >= eq_offset && offset < eq_offset + kEqFields * kOutputBands) {
            return EqName(owner, offset - eq_offset);
        }
        const auto* row = StripRowForOffset(layout, slot->strip, static_cast<int>(offset));
        return owner + " " + std::string(row ? row->name : "");
    }
    return "reserved";
}

}  // namespace vela::layout
